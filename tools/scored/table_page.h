// The online score table as an HTML page. Names and add texts are bytes the
// players chose: every one of them is escaped, so no byte can add markup.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "score_store.h"

namespace scored {

// Text for an HTML element or attribute: '&', '<', '>', '"' and '\'' become
// entities, printable ASCII stays, bytes 160..255 are the Latin-1 letters
// they stand for, and every other byte (controls, 127..159) the replacement
// character. The result is ASCII.
std::string EscapeHtml(std::string_view bytes);

// The whole page: a table with one row per score, in the order given.
std::string TablePage(const std::vector<ScoreRow>& rows);

}  // namespace scored
