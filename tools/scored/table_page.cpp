#include "table_page.h"

namespace scored {
namespace {

constexpr unsigned char kFirstPrintable = 0x20, kDelete = 0x7F, kFirstLatin1 = 0xA0;

constexpr const char* kPageHead = R"html(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Varnok - online high scores</title>
<style>
body { font-family: sans-serif; background: #111; color: #ddd; }
h1 { text-align: center; }
table { border-collapse: collapse; margin: 2em auto; }
th, td { padding: 0.3em 1.2em; border-bottom: 1px solid #333; }
td.score { text-align: right; font-variant-numeric: tabular-nums; }
</style>
</head>
<body>
<h1>Varnok - online high scores</h1>
<table>
<tr><th>#</th><th>Name</th><th>Score</th><th>Text</th></tr>
)html";

constexpr const char* kPageTail = "</table>\n</body>\n</html>\n";

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

std::string TablePage(const std::vector<ScoreRow>& rows) {
  std::string page = kPageHead;
  int rank = 0;
  for (const ScoreRow& row : rows) {
    page += "<tr><td>" + std::to_string(++rank) + "</td><td>" + EscapeHtml(row.name) + "</td><td class=\"score\">" +
            std::to_string(row.score) + "</td><td>" + EscapeHtml(row.addText) + "</td></tr>\n";
  }
  return page + kPageTail;
}

}  // namespace scored
