// libFuzzer target: the score client's reading of a version reply from an
// outside server, and the submission built from the p value it yields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "online/score_protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view reply(reinterpret_cast<const char*>(data), size);
  if (!online::ReplyAccepted(reply)) return 0;
  const std::string p = online::PValueFromReply(reply);
  // The p value is a field of the reply, never more.
  if (p.size() > reply.size() || (!p.empty() && reply.find(p) == std::string_view::npos)) std::abort();
  const std::string payload = online::BuildPayload("NOVA", 1000, p, "ADD");
  const std::string encoded = online::EncodePayload(payload);
  if (payload.size() % 5 != 0 || encoded.size() != payload.size() / 5 * 8) std::abort();
  return 0;
}
