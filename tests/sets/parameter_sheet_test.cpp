// The parameter sheet's HTML: rows with their micrometre forms by the word's
// rule, the sensor's Latin-1 texts converted and every text escaped, and the
// line to write a comment on by hand.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "sets/parameter_sheet.h"

namespace {

std::string Sheet(const std::string& comment) {
  std::array<uint16_t, 16> words{};
  words[2] = 480;   // vThd: no micrometre form
  words[6] = 20;    // eBeg: pixels x pitch, never scaled
  words[5] = 1;     // eMode: its meaning beside the code
  words[8] = 1000;  // tVal: x the scale factor as the float held, truncated
  return sets::ParameterSheetHtml(words, {"File /tmp/a&b.par", "CCD 25 \xB5m", "<beta> & V2\xB5",
                                          "/dev/ttyS0", "2026-12-08 16:45", comment, 3, 0.9f});
}

TEST(ParameterSheet, RowsFactsAndTheCommentLine) {
  const std::string html = Sheet("line\n\"3\"");  // a line break becomes a space
  for (const char* part :
       {"<td class=\"num\">2</td><td>Video threshold</td><td class=\"name\">vThd</td>"
        "<td class=\"num\">480</td><td>counts</td><td class=\"num\">—</td>",
        "<td class=\"num\">6</td><td>Evaluation from pixel</td><td class=\"name\">eBeg</td>"
        "<td class=\"num\">20</td><td>pixel</td><td class=\"num\">500</td>",
        "<td class=\"num\">8</td><td>Teach value</td><td class=\"name\">tVal</td>"
        "<td class=\"num\">1000</td><td>pixel</td><td class=\"num\">22499</td>",
        "<td class=\"name\">eMode</td><td class=\"num\">1 (second edge)</td>",
        "<td class=\"name\">para15</td><td class=\"num\">0 (0.000)</td>",
        "Firmware:</th><td>&lt;beta&gt; &amp; V2\xC2\xB5</td>",
        "CCD:</th><td>CCD 25 \xC2\xB5m</td>", "Set:</th><td>File /tmp/a&amp;b.par</td>",
        "Pixel pitch:</th><td>25 µm</td>", "Scale factor:</th><td>0.9</td>",
        "Comment:</th><td>line &quot;3&quot;</td>", "Date:</th><td>2026-12-08 16:45</td>"}) {
    EXPECT_NE(html.find(part), std::string::npos) << part;
  }
  EXPECT_EQ(html.rfind("<!DOCTYPE html>\n", 0), 0u);
  EXPECT_EQ(html.find("class=\"write-in\""), std::string::npos);
  EXPECT_NE(Sheet("").find("Comment:</th><td class=\"write-in\"><br>&nbsp;</td></tr>"),
            std::string::npos);
}

}  // namespace
