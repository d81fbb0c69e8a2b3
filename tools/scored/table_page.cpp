#include "table_page.h"

#include <openssl/evp.h>

#include <array>
#include <iterator>
#include <stdexcept>

namespace scored {
namespace {

constexpr unsigned char kFirstPrintable = 0x20, kDelete = 0x7F, kFirstLatin1 = 0xA0;

// The game's palette (a city at dusk, dark metal panels, amber captions) and
// its two faces: a condensed bold display face and a plain sans. Fonts come
// from the reader's system, the first of each list that it has.
constexpr std::string_view kStyle = R"css(
:root {
  --outline: #14141c; --amber: #ffb02e; --amber-dim: #9a6a2a; --amber-lit: #ffe08a;
  --metal-dark: #23262e; --metal: #3a3f4b; --metal-light: #6a7080;
  --display: "DejaVu Sans Condensed", "Arial Narrow", "Roboto Condensed", "Liberation Sans Narrow", sans-serif;
  --plain: "DejaVu Sans", "Liberation Sans", Arial, sans-serif;
  color-scheme: dark;
}
html { min-height: 100%; background: #2a1f4e linear-gradient(#2a1f4e 0%, #4a2a64 38%, #7a3f78 68%, #c8645a 88%, #f08a4b 100%) fixed; }
body {
  margin: 0; min-height: 100vh; color: #eceaf2; font: 16px/1.3 var(--plain);
  display: flex; flex-direction: column; align-items: center; padding: 0 12px; box-sizing: border-box;
}
.city { position: fixed; left: 0; bottom: 0; width: 100%; height: clamp(110px, 26vh, 240px); z-index: -1; }
header {
  width: 100%; max-width: 760px; display: flex; flex-wrap: wrap; align-items: flex-end;
  justify-content: space-between; gap: 4px 24px; margin: 20px 0 16px;
}
h1, .title { margin: 0; font-family: var(--display); font-weight: bold; font-stretch: condensed; line-height: 1; }
h1 {
  font-size: clamp(48px, 11vw, 84px); color: var(--amber-lit); letter-spacing: 1px;
  text-shadow: 3px 0 var(--outline), -3px 0 var(--outline), 0 3px var(--outline), 0 -3px var(--outline),
    2px 2px var(--outline), -2px 2px var(--outline), 2px -2px var(--outline), -2px -2px var(--outline),
    0 0 14px rgba(255, 176, 46, 0.7);
}
.title {
  font-size: clamp(28px, 6.5vw, 48px); color: var(--amber-lit); padding-bottom: 10px;
  text-shadow: 2px 0 var(--outline), -2px 0 var(--outline), 0 2px var(--outline), 0 -2px var(--outline),
    0 0 10px rgba(255, 176, 46, 0.6);
  background: linear-gradient(90deg, rgba(255, 176, 46, 0), #ffcc66, rgba(255, 176, 46, 0)) bottom / 100% 3px no-repeat;
}
main {
  width: 100%; max-width: 760px; box-sizing: border-box; padding: 14px 14px 8px; margin-bottom: 32px;
  border: 3px solid var(--outline); border-radius: 16px;
  background:
    radial-gradient(circle at 9px 9px, var(--metal-light) 3px, var(--outline) 4px, transparent 5px) top left / 18px 18px no-repeat,
    radial-gradient(circle at 9px 9px, var(--metal-light) 3px, var(--outline) 4px, transparent 5px) top right / 18px 18px no-repeat,
    radial-gradient(circle at 9px 9px, var(--metal-light) 3px, var(--outline) 4px, transparent 5px) bottom left / 18px 18px no-repeat,
    radial-gradient(circle at 9px 9px, var(--metal-light) 3px, var(--outline) 4px, transparent 5px) bottom right / 18px 18px no-repeat,
    linear-gradient(var(--metal), var(--metal-dark));
  box-shadow: 0 8px 24px rgba(0, 0, 0, 0.5);
}
.inside {
  border: 1.5px solid rgba(154, 106, 42, 0.8); border-radius: 8px; padding: 6px 10px 10px;
  background: linear-gradient(rgba(16, 18, 26, 0.92), rgba(26, 28, 38, 0.92));
}
table { width: 100%; border-collapse: collapse; }
th {
  font: bold 15px var(--display); font-stretch: condensed; text-transform: uppercase; letter-spacing: 1px;
  color: var(--amber); text-align: left; padding: 6px 8px; background: rgba(0, 0, 0, 0.4);
  border-bottom: 2px solid var(--amber-dim);
}
td { padding: 5px 8px; overflow-wrap: anywhere; }
tbody tr:nth-child(odd) { background: rgba(255, 176, 46, 0.07); }
td:first-child, th:first-child { width: 3.2em; text-align: right; white-space: nowrap; }
td:first-child { color: var(--amber-dim); font: bold 16px var(--display); font-stretch: condensed; }
td:first-child::after { content: "."; }
tbody tr:nth-child(-n+3) td:first-child::before {
  content: ""; display: inline-block; width: 12px; height: 12px; margin-right: 8px; vertical-align: -1px;
  border-radius: 50%; border: 1.5px solid var(--outline); background: #f2c14e;
}
tbody tr:nth-child(2) td:first-child::before { background: #c8ccd6; }
tbody tr:nth-child(3) td:first-child::before { background: #c8814a; }
td:nth-child(2) { font: bold 17px var(--display); font-stretch: condensed; letter-spacing: 1px; color: #f4f2f8; }
td.score, th:nth-child(3) { text-align: right; }
td.score { font: bold 17px var(--display); font-stretch: condensed; font-variant-numeric: tabular-nums; color: #fff; }
td:nth-child(4) { color: var(--amber); font-size: 14px; }
td.mark { font-size: 13px; text-transform: uppercase; letter-spacing: 1px; color: var(--amber-dim); white-space: nowrap; }
td.mark.verified, td.mark a { color: #9be07a; }
a { color: var(--amber-lit); }
.views { margin: 8px 0 0; text-align: right; font: bold 15px var(--display); font-stretch: condensed; }
.empty { text-align: center; color: var(--amber-dim); font: bold 18px var(--display); padding: 24px 0 18px; margin: 0; }
footer { margin: 10px 0 0; color: var(--amber-dim); font-size: 13px; text-align: center; }
@media (max-width: 520px) {
  body { padding: 0 6px; }
  header { justify-content: center; text-align: center; margin: 14px 0 10px; }
  main { padding: 8px; border-radius: 12px; }
  .inside { padding: 4px; }
  thead tr, tbody tr { display: grid; grid-template-columns: 3.4em 1fr auto; align-items: baseline; }
  th:nth-child(4) { display: none; }
  td:nth-child(4) { grid-column: 2 / 4; padding-top: 0; }
  td:nth-child(4):empty { display: none; }
  th:nth-child(5) { display: none; }
  td:nth-child(5) { grid-column: 2 / 4; padding-top: 0; }
  th:first-child, td:first-child { width: auto; }
}
)css";

// A row of buildings along the foot of the window, drawn like the game's
// skyline: outlined blue-grey blocks with some windows lit. The row is three
// copies of one 800-unit stretch, so the widest windows stay covered while
// the height fits; narrow ones show the middle.
struct Building {
  int left, top, width;
};
constexpr Building kStretch[] = {{0, 100, 64},   {64, 60, 48},   {112, 120, 80}, {192, 40, 64},
                                 {256, 100, 96}, {352, 80, 48},  {400, 20, 80},  {480, 120, 64},
                                 {544, 60, 96},  {640, 100, 48}, {688, 40, 64},  {752, 80, 48}};
constexpr int kStretchWidth = 800, kStretchCopies = 3, kGround = 184, kCityHeight = 200;

std::string CitySvg() {
  const std::string width = std::to_string(kStretchWidth * kStretchCopies);
  std::string walls, windows;
  for (int copy = 0; copy < kStretchCopies; ++copy) {
    for (size_t i = 0; i < std::size(kStretch); ++i) {
      const Building& b = kStretch[i];
      const std::string box = "<rect x=\"" + std::to_string(b.left + copy * kStretchWidth) + "\" y=\"" +
                              std::to_string(b.top) + "\" width=\"" + std::to_string(b.width) + "\" height=\"";
      walls += box + std::to_string(kCityHeight - b.top) + (i % 2 ? "\" fill=\"#262c3c\"/>" : "\" fill=\"#2e3546\"/>");
      windows += box + std::to_string(kGround - b.top) + "\"/>";
    }
  }
  return "<svg class=\"city\" viewBox=\"0 0 " + width + " " + std::to_string(kCityHeight) +
         "\" preserveAspectRatio=\"xMidYMax slice\" aria-hidden=\"true\">\n"
         "<defs><pattern id=\"w\" width=\"48\" height=\"40\" patternUnits=\"userSpaceOnUse\">"
         "<rect x=\"5\" y=\"6\" width=\"6\" height=\"8\" fill=\"#ffd27a\"/>"
         "<rect x=\"21\" y=\"6\" width=\"6\" height=\"8\" fill=\"#394058\"/>"
         "<rect x=\"37\" y=\"6\" width=\"6\" height=\"8\" fill=\"#394058\"/>"
         "<rect x=\"5\" y=\"26\" width=\"6\" height=\"8\" fill=\"#394058\"/>"
         "<rect x=\"21\" y=\"26\" width=\"6\" height=\"8\" fill=\"#ffd27a\"/>"
         "<rect x=\"37\" y=\"26\" width=\"6\" height=\"8\" fill=\"#ffd27a\"/>"
         "</pattern></defs>\n<g stroke=\"#14141c\" stroke-width=\"2\">" + walls + "</g>\n<g fill=\"url(#w)\">" +
         windows + "</g>\n<rect x=\"0\" y=\"" + std::to_string(kGround) + "\" width=\"" + width + "\" height=\"" +
         std::to_string(kCityHeight - kGround) + "\" fill=\"#1d2230\"/>\n</svg>\n";
}

constexpr std::string_view kPageStart = R"html(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Varnok - online high scores</title>
<style>)html";

constexpr std::string_view kHeadEnd = R"html(</style>
</head>
<body>
)html";

constexpr std::string_view kTableStart = R"html(<header><h1>VARNOK</h1><p class="title">HIGH SCORES</p></header>
<main><div class="inside">
<table>
<thead><tr><th>#</th><th>Name</th><th>Score</th><th>Text</th>)html";
constexpr std::string_view kHeadRowEnd = "</tr></thead>\n<tbody>\n";
constexpr std::string_view kTablePath = "/cgi/version.pl?prg=Quellix3&amp;show&amp;type=0";

constexpr std::string_view kTableEnd = "</tbody>\n</table>\n";
constexpr std::string_view kNoScores = "<p class=\"empty\">NO SCORES YET</p>\n";
constexpr std::string_view kPageEnd = R"html(</div>
<footer>The best scores sent from the game</footer>
</main>
</body>
</html>
)html";

// The policy's source for the style element: its SHA-256 in base 64.
std::string StyleHash() {
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int length = 0;
  if (EVP_Digest(kStyle.data(), kStyle.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1) {
    throw std::runtime_error("SHA-256 is not available");
  }
  std::string base64(4 * ((length + 2) / 3) + 1, '\0');
  base64.resize(static_cast<size_t>(EVP_EncodeBlock(reinterpret_cast<unsigned char*>(base64.data()), digest.data(),
                                                    static_cast<int>(length))));
  return "'sha256-" + base64 + "'";
}

}  // namespace

std::string EscapeHtml(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '&': out += "&amp;"; continue;
      case '<': out += "&lt;"; continue;
      case '>': out += "&gt;"; continue;
      case '"': out += "&quot;"; continue;
      case '\'': out += "&#39;"; continue;
      default: break;
    }
    if (byte >= kFirstPrintable && byte < kDelete) {
      out += c;
    } else if (byte >= kFirstLatin1) {
      out += "&#" + std::to_string(byte) + ";";
    } else {
      out += "&#xFFFD;";
    }
  }
  return out;
}

std::string ReplayPath(int64_t scoreId) { return "/cgi/replay?id=" + std::to_string(scoreId); }

std::string TablePage(const std::vector<ScoreRow>& rows, TableView view) {
  std::string page;
  static const std::string city = CitySvg();
  page.reserve(kPageStart.size() + kStyle.size() + city.size() + 1024 + rows.size() * 192);
  page.append(kPageStart).append(kStyle).append(kHeadEnd).append(city).append(kTableStart);
  if (view == TableView::kVerified) page += "<th>Replay</th>";
  if (view == TableView::kAll) page += "<th>Checked</th>";
  page.append(kHeadRowEnd);
  int rank = 0;
  for (const ScoreRow& row : rows) {
    page += "<tr><td>" + std::to_string(++rank) + "</td><td>" + EscapeHtml(row.name) + "</td><td class=\"score\">" +
            std::to_string(row.score) + "</td><td>" + EscapeHtml(row.addText) + "</td>";
    const std::string link = "<a href=\"" + ReplayPath(row.id) + "\" download=\"varnok-" + std::to_string(row.id) +
                             ".vreplay\">replay</a>";
    if (view == TableView::kVerified) page += "<td class=\"mark\">" + link + "</td>";
    if (view == TableView::kAll) {
      switch (row.verdict) {
        case Verdict::kVerified: page += "<td class=\"mark verified\">verified, " + link + "</td>"; break;
        case Verdict::kPending: page += "<td class=\"mark\">pending</td>"; break;
        case Verdict::kRejected: page += "<td class=\"mark\">rejected</td>"; break;
        case Verdict::kUnverifiable: page += "<td class=\"mark\">unverifiable</td>"; break;
        case Verdict::kNone: page += "<td class=\"mark\">not verified</td>"; break;
      }
    }
    page += "</tr>\n";
  }
  page.append(kTableEnd);
  if (rows.empty()) page.append(kNoScores);
  if (view == TableView::kVerified) {
    page += "<p class=\"views\"><a href=\"" + std::string(kTablePath) + "&amp;all\">Every submission</a></p>\n";
  } else if (view == TableView::kAll) {
    page += "<p class=\"views\"><a href=\"" + std::string(kTablePath) + "\">Verified scores</a></p>\n";
  }
  return page.append(kPageEnd);
}

std::string ScoresJson(const std::vector<ScoreRow>& rows) {
  static constexpr char kHex[] = "0123456789abcdef";
  const auto text = [](std::string_view bytes) {
    std::string out = "\"";
    for (char c : bytes) {
      const auto byte = static_cast<unsigned char>(c);
      const bool plain = byte >= kFirstPrintable && byte < kDelete && c != '"' && c != '\\' && c != '<' && c != '>' &&
                         c != '&' && c != '\'';
      if (plain) {
        out += c;
      } else if ((byte >= kFirstPrintable && byte < kDelete) || byte >= kFirstLatin1) {
        out += "\\u00";
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
      } else {
        out += "\\ufffd";
      }
    }
    return out + "\"";
  };
  static constexpr const char* kVerdicts[] = {"none", "pending", "verified", "rejected", "unverifiable"};
  std::string json = "[";
  int rank = 0;
  for (const ScoreRow& row : rows) {
    if (rank > 0) json += ",";
    const auto verdict = static_cast<size_t>(row.verdict);
    json += "\n{\"rank\":" + std::to_string(++rank) + ",\"name\":" + text(row.name) +
            ",\"score\":" + std::to_string(row.score) + ",\"add\":" + text(row.addText) + ",\"verdict\":\"" +
            (verdict < std::size(kVerdicts) ? kVerdicts[verdict] : "none") + "\",\"replay\":" +
            (row.verdict == Verdict::kVerified ? "\"" + ReplayPath(row.id) + "\"" : std::string("null")) + "}";
  }
  return json + "\n]\n";
}

const std::vector<std::pair<std::string, std::string>>& ScoresJsonHeaders() {
  static const std::vector<std::pair<std::string, std::string>> headers{
      {"X-Content-Type-Options", "nosniff"},
      {"Content-Security-Policy", "default-src 'none'; frame-ancestors 'none'"},
      {"Access-Control-Allow-Origin", "*"},
      {"Cache-Control", "public, max-age=" + std::to_string(kTablePageMaxAgeSeconds)},
  };
  return headers;
}

const std::vector<std::pair<std::string, std::string>>& TablePageHeaders() {
  static const std::vector<std::pair<std::string, std::string>> headers{
      {"Content-Security-Policy", "default-src 'none'; style-src " + StyleHash() +
                                      "; img-src 'none'; base-uri 'none'; form-action 'none'; "
                                      "frame-ancestors 'none'"},
      {"X-Content-Type-Options", "nosniff"},
      {"Referrer-Policy", "no-referrer"},
      {"Cache-Control", "public, max-age=" + std::to_string(kTablePageMaxAgeSeconds)},
  };
  return headers;
}

}  // namespace scored
