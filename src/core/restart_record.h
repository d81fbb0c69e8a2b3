// RestartRecord: the 6-byte "data\boss.dat" that carries the game across a
// self-restart (window-mode switch, hide key, some links).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace core {

inline constexpr const char* kRestartFile = "data\\boss.dat";

struct RestartRecord {
  uint8_t openEngine = 1;      // 1: open the engine at once; 0: start minimised
  uint8_t gameState = 0;       // state to resume
  uint8_t musicChoice = 1;     // 1 menu music, 0 game music
  uint8_t restarted = 0;       // set to 1 on reading; the stored value is not used
  uint8_t openMoreGames = 0;   // 1: open "moregames.url" after start
  uint8_t openScoreTable = 0;  // 1: open the online score table page after start

  std::array<uint8_t, 6> Bytes() const;
};

// The state a restart record carries for `state`. A submission under way
// resumes as its result dialog (nothing could carry the running score client
// over; the dialog offers another try), and the game-over picture as the wait
// for the records check, so that both keep the run's score.
uint8_t StateToResume(uint8_t state);

// The record in `bytes`, or nothing when the bytes cannot be a record (short,
// or a state the game never enters); a resumed state is always a real one,
// and one that no restart can resume (a record from another copy of the game
// or edited by hand) is read as a writer maps it.
std::optional<RestartRecord> ParseRestartRecord(std::span<const uint8_t> bytes);

// Reads "data\boss.dat" and leaves it on disk, pending (GameContext's
// restartRecordPending): a record is used up only once the new process has
// brought back what it carries (UseUpRestartRecord), so a process that ends
// before its engine opens (restarted minimised and closed unseen) leaves the
// record, and the snapshot it names, for the next start. Nothing when there
// is none or it is not valid; an invalid one is deleted at once, so it cannot
// trap every start.
std::optional<RestartRecord> ReadRestartRecord();
// The pending record has served: the snapshot it names was read (or could
// not be), or, with no game in progress, the engine's init brought its state
// back. Deletes it, once; nothing when no record is pending.
void UseUpRestartRecord();
// Writes the record whole; false when the write failed, which the player is
// told (once, on standard error). Without the record a new process would
// start afresh and lose the run, so the caller then does not restart.
bool WriteRestartRecord(const RestartRecord& record);
// Deletes a record written for a restart that then could not go ahead.
bool RemoveRestartRecord();

}  // namespace core
