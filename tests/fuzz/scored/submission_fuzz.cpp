// libFuzzer target: the score server's decoding of a submission's "inf"
// value and of the payload inside it, and the escaping of what it yields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "submission_decoder.h"
#include "table_page.h"

namespace {

void CheckEscaped(std::string_view text) {
  for (char c : scored::EscapeHtml(text)) {
    if (c == '<' || c == '>' || c == '"' || static_cast<unsigned char>(c) >= 0x7F) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // The bytes as the "inf" text, and as a payload already decoded.
  if (const auto submission = scored::DecodeSubmission(bytes)) {
    if (submission->name.size() > scored::kMaxTextLength || submission->addText.size() > scored::kMaxTextLength ||
        submission->score < 0) {
      std::abort();
    }
  }
  if (const auto submission = scored::ParsePayload(bytes)) {
    CheckEscaped(submission->name);
    CheckEscaped(submission->addText);
  }
  return 0;
}
