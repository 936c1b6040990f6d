#include "sets/parameter_sheet.h"

#include <charconv>
#include <string_view>

#include "fields/latin1.h"
#include "fields/micrometres.h"
#include "fields/words.h"

namespace sets {
namespace {

// Rules both a browser and QTextDocument (which knows a subset of CSS and
// reads the table attributes) lay out the same way on A4 portrait.
constexpr std::string_view kStyle = R"(@page { size: A4 portrait; margin: 20mm; }
body { font-family: 'DejaVu Sans', Arial, sans-serif; font-size: 10pt; color: #000; }
h1 { font-size: 16pt; font-weight: bold; margin: 0 0 8pt 0; }
table { border-collapse: collapse; }
table.facts { width: 100%; }
table.facts th { text-align: left; font-weight: bold; padding: 2px 12px 2px 0; white-space: nowrap; }
table.facts td { padding: 2px 0; }
td.write-in { border-bottom-width: 1px; border-bottom-style: solid; border-bottom-color: #000; }
h2 { font-size: 12pt; font-weight: bold; margin: 0 0 4pt 0; }
p.gap { margin: 0; font-size: 6pt; }
p.note { font-size: 8pt; margin-top: 4pt; }
table.words { width: 100%; border-color: #808080; }
table.words th { background-color: #e0e0e0; text-align: left; font-weight: bold; }
table.words th, table.words td { padding: 3px 6px; border-width: 1px; border-style: solid; border-color: #808080; }
.num, table.words .num { text-align: right; }
.name { font-family: 'DejaVu Sans Mono', monospace; }
)";

// Markup characters as references; control characters (a NUL the sensor pads
// with, a line break in the comment) as a space, which HTML cannot hold.
std::string Escaped(std::string_view utf8) {
  std::string out;
  for (const char c : utf8) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    }
  }
  return out;
}

// A fact as printed: "—" when the caller has none.
std::string FactText(std::string_view utf8) {
  return utf8.empty() ? std::string("—") : Escaped(utf8);
}

// 7800 nm -> "7.8", 25000 nm -> "25": only the decimals the pitch has.
std::string PitchText(int32_t nm) {
  std::string text = std::to_string(nm / 1000);
  if (nm % 1000 != 0) {
    std::string decimals = std::to_string(1000 + nm % 1000).substr(1);
    while (decimals.back() == '0') decimals.pop_back();
    text += "." + decimals;
  }
  return text;
}

// The shortest text that reads back as the same float, '.' whatever the
// process locale (the program runs under the operator's).
std::string ScaleText(float scale) {
  char text[32];
  const auto [end, error] = std::to_chars(text, text + sizeof text, scale);
  return error == std::errc() ? std::string(text, end) : std::string("?");
}

void AddFact(std::string& html, std::string_view label, const std::string& text) {
  html += "<tr><th width=\"20%\">";
  html += label;
  html += "</th><td>" + text + "</td></tr>\n";
}

void AddWordRow(std::string& html, int index, uint16_t value, int32_t pitchNm, float scale) {
  const fields::Word& word = fields::kParameters[index];
  const std::string micrometres =
      word.micrometres == fields::MicrometreRule::kNone
          ? std::string("—")
          : std::to_string(fields::Micrometres(word, value, pitchNm, scale));
  html += "<tr><td class=\"num\">" + std::to_string(index) + "</td><td>" + Escaped(word.label) +
          "</td><td class=\"name\">" + Escaped(word.name) + "</td><td class=\"num\">" +
          Escaped(fields::ValueWithMeaning(index, value)) + "</td><td>" + Escaped(word.unit) +
          "</td><td class=\"num\">" + micrometres + "</td></tr>\n";
}

}  // namespace

std::string ParameterSheetHtml(const std::array<uint16_t, 16>& words, const SheetInfo& info) {
  static_assert(fields::kParameterWords == 16);
  const int32_t pitchNm = fields::PixelPitchNm(info.ccdType);

  std::string html =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<title>Vantrel parameter sheet</title>\n<style>\n";
  html += kStyle;
  html += "</style>\n</head>\n<body>\n<h1>Vantrel parameter sheet</h1>\n";

  // The attributes give QTextDocument the spacing and the borders a browser
  // takes from the style.
  html +=
      "<table class=\"facts\" border=\"0\" cellspacing=\"0\" cellpadding=\"2\" width=\"100%\">\n";
  AddFact(html, "Set:", FactText(info.source));
  AddFact(html, "CCD:", FactText(fields::Latin1ToUtf8(info.ccd)));
  AddFact(html, "Pixel pitch:", PitchText(pitchNm) + " µm");
  AddFact(html, "Scale factor:", ScaleText(info.scale));
  AddFact(html, "Firmware:", FactText(fields::Latin1ToUtf8(info.firmware)));
  AddFact(html, "Port:", FactText(info.port));
  AddFact(html, "Date:", FactText(info.taken));
  if (info.comment.empty()) {
    html +=
        "<tr><th width=\"20%\" valign=\"bottom\">Comment:</th>"
        "<td class=\"write-in\"><br>&nbsp;</td></tr>\n";
  } else {
    AddFact(html, "Comment:", Escaped(info.comment));
  }
  html += "</table>\n";

  html +=
      // QTextDocument keeps no margin between two tables: an empty line does.
      "<p class=\"gap\">&nbsp;</p>\n<h2>Parameter words</h2>\n"
      "<table class=\"words\" border=\"1\" cellspacing=\"0\" cellpadding=\"4\" width=\"100%\">\n"
      "<thead><tr><th class=\"num\" width=\"5%\">#</th><th width=\"25%\">Parameter</th>"
      "<th width=\"14%\">Name</th><th class=\"num\" width=\"30%\">Value</th>"
      "<th width=\"11%\">Unit</th><th class=\"num\" width=\"15%\">µm</th></tr></thead>\n"
      "<tbody>\n";
  for (int index = 0; index < fields::kParameterWords; ++index) {
    AddWordRow(html, index, words[index], pitchNm, info.scale);
  }
  html +=
      "</tbody>\n</table>\n<p class=\"note\">µm: pixels &times; pixel pitch; the teach value "
      "also &times; the scale factor.</p>\n</body>\n</html>\n";
  return html;
}

}  // namespace sets
