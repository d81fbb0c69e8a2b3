// The online score table as an HTML page, dressed like the game's own high
// score screen. Names and add texts are bytes the players chose: every one of
// them is escaped, so no byte can add markup, and the page's headers forbid
// any script and any style but the page's own.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "score_keeper.h"
#include "score_store.h"

namespace scored {

// How long a browser or a proxy may keep a copy of the page.
inline constexpr int kTablePageMaxAgeSeconds = 5;

// Text for an HTML element or attribute: '&', '<', '>', '"' and '\'' become
// entities, printable ASCII stays, bytes 160..255 are the Latin-1 letters
// they stand for, and every other byte (controls, 127..159) the replacement
// character. The result is ASCII.
std::string EscapeHtml(std::string_view bytes);

// The whole page: a table with one row per score, in the order given. It
// fetches nothing: its style is one inline element, its pictures inline SVG.
// The verified view links each row's replay and the view of every
// submission; that view marks each row and links back.
std::string TablePage(const std::vector<ScoreRow>& rows, TableView view = TableView::kPlain);

// Where a verified score's replay is downloaded.
std::string ReplayPath(int64_t scoreId);

// The rows as a JSON array of {"rank","name","score","add","verdict","replay"}.
// Names and add texts read as the page shows them: Latin-1 letters as
// themselves, every byte the page shows as the replacement character as
// that character; markup characters are escaped too, so the text is safe
// inside HTML as well. The result is ASCII.
std::string ScoresJson(const std::vector<ScoreRow>& rows);

// The JSON view's headers: its type, nosniff and the page's Cache-Control.
const std::vector<std::pair<std::string, std::string>>& ScoresJsonHeaders();

// The headers the page is served with, name and value: a Content-Security-
// Policy that admits no script, no fetch and only the page's own style
// element (by its SHA-256), nosniff, and a short Cache-Control max-age.
const std::vector<std::pair<std::string, std::string>>& TablePageHeaders();

}  // namespace scored
