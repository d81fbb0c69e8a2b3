// libFuzzer target: what the score server reads from a request. The bytes
// as a submission's "inf" value and as the payload inside it (with the
// escaping of what they yield), as a p value to check, and as an
// X-Forwarded-For header from a trusted proxy.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "client_limits.h"
#include "submission_decoder.h"
#include "table_page.h"
#include "ticket_signer.h"

namespace {

void CheckEscaped(std::string_view text) {
  for (char c : scored::EscapeHtml(text)) {
    if (c == '<' || c == '>' || c == '"' || static_cast<unsigned char>(c) >= 0x7F) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
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

  // No p value passes without its MAC (the fuzzer cannot know the key), and
  // a client found in a header is always a well-formed address.
  static const scored::TicketSigner signer(std::string(32, 'k'));
  if (signer.IssuedAt(bytes, 1'800'000'000)) std::abort();
  static const scored::TrustedProxies proxies = [] {
    scored::TrustedProxies trusted;
    trusted.Add("127.0.0.1");
    trusted.Add("::1");
    return trusted;
  }();
  const std::string client = proxies.ClientOf("127.0.0.1", bytes);
  if (client != "127.0.0.1" && !scored::ClientKey(client.substr(0, client.find('/')))) std::abort();
  return 0;
}
