#include "report/HtmlReport.h"

#include <algorithm>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <span>

#include "base/AtomicFile.h"
#include "resources/NumberText.h"
#include "resources/StringTable.h"

namespace orelith {
namespace {

// A literal with each "\n" written "\r\n", as the file holds it: the report
// is made with the file's line ends, so that nothing converts it afterwards.
template <std::size_t N>
struct CrLf {
  consteval CrLf(const char (&text)[N]) {
    for (std::size_t i = 0; i + 1 < N; ++i) {
      if (text[i] == '\n') chars[size++] = '\r';
      chars[size++] = text[i];
    }
  }
  operator std::string_view() const { return {chars, size}; }
  char chars[2 * N] = {};
  std::size_t size = 0;
};

constexpr CrLf kHead(
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n<html>\n<head>\n  \n  "
    "<meta http-equiv=\"content-type\" CONTENT=\"text/html; charset=windows-1253\">\n  "
    "<title>Kelvara Output</title>\n</head>\n");
constexpr CrLf kTableStart(
    "<body>\n<table cellpadding=\"2\" cellspacing=\"2\" border=\"1\" width=\"100%%\" "
    "height=\"%d\">\n  <tbody>\n");
constexpr CrLf kRowEnd("    </tr>\n");
constexpr CrLf kRowStart("    <tr valign=\"Top\">\n");
// A cell is kCellStart, its content, kCellEnd; a coloured number sits in a
// font element.
constexpr char kCellStart[] = "      <td valign=\"Top\">";
constexpr CrLf kCellEnd("<br>\n      </td>\n");
constexpr char kRedFont[] = "<font color=\"#ff0000\">";
constexpr char kGreyFont[] = "<font color=\"#808080\">";
constexpr char kFontEnd[] = "</font>";
constexpr CrLf kEmptyCell("      <td valign=\"Top\"><br>\n      </td>\n");
constexpr char kCurvePower[] = "*x^";  // a term is "%.3f*x^%d"
constexpr CrLf kComplexEnd("<br>\n</body>\n</html>\n");
constexpr CrLf kSimpleEnd("    </tr>\n  \n  </tbody>\n</table>\n</html>\n");

constexpr int kRowHeight = 28;
constexpr std::uint32_t kRedMarks = MARK_HOT | MARK_LARGE;

[[gnu::format(printf, 2, 3)]] void appendf(std::string& out, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::va_list again;
  va_copy(again, args);
  int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  if (length > 0) {
    std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(length) + 1);
    std::vsnprintf(out.data() + at, static_cast<std::size_t>(length) + 1, format, again);
    out.resize(at + static_cast<std::size_t>(length));
  }
  va_end(again);
}

// Text made at run time, file names included, with the file's line ends.
void appendWithCrLf(std::string& out, std::string_view text) {
  for (const char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
}

void appendText(std::string& out, StringId text) { appendWithCrLf(out, stringText(text)); }

// The cells' numbers as printf writes them with %d and %.3f, at a fraction of
// its cost: a report of 2000 stars holds 20,000 of them.
void appendInt(std::string& out, int value) {
  char text[16];
  out.append(text, std::to_chars(text, text + sizeof text, value).ptr);
}

void appendFixed3(std::string& out, double value) {
  char text[320];  // the longest double with three decimals, and its sign
  out.append(text, std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 3).ptr);
}

void appendIntCell(std::string& out, int value, const char* font = nullptr) {
  out += kCellStart;
  if (font != nullptr) out += font;
  appendInt(out, value);
  if (font != nullptr) out += kFontEnd;
  out += kCellEnd;
}

void appendValue(std::string& out, float value) {
  out += kCellStart;
  appendFixed3(out, static_cast<double>(value));
  out += kCellEnd;
}

void appendEmptyCells(std::string& out, int count) {
  for (int i = 0; i < count; ++i) out += kEmptyCell;
}

void appendNewRow(std::string& out) {
  out += kRowEnd;
  out += kRowStart;
}

int validCount(const Workspace& ws, int image) {
  return std::clamp(ws.starCount[image], 0, starCapacity(ws, image));
}

// The partner's star number, or -1; a number outside the table counts as none.
int partnerOf(const Workspace& ws, const StarRecord& s) {
  return s.partner >= 0 && s.partner < starCapacity(ws, kGreen) ? s.partner : -1;
}

std::string escapedTitle(const Workspace& ws, int image) {
  const char* title = ws.fileTitle[image];
  return htmlEscaped(std::string_view(title, strnlen(title, kFileTitleSize)));
}

// Red for a hot or large star of the pair wins over grey for an ignored one.
void appendPairNumber(std::string& out, const StarRecord& blue, const StarRecord& green,
                      int number) {
  if (hasBit(blue.marks, kRedMarks) || hasBit(green.marks, kRedMarks))
    appendIntCell(out, number, kRedFont);
  else if (hasBit(blue.marks, MARK_IGNORE))
    appendIntCell(out, number, kGreyFont);
  else
    appendIntCell(out, number);
}

void appendSingleNumber(std::string& out, const StarRecord& s, int number) {
  appendIntCell(out, number, hasBit(s.marks, kRedMarks) ? kRedFont : nullptr);
}

void appendPosition(std::string& out, const StarRecord& s) {
  out += kCellStart;
  out += "@(";
  appendInt(out, s.x);
  out += '|';
  appendInt(out, s.y);
  out += ')';
  out += kCellEnd;
}

// printf's %d of the unsigned sum: a sum past INT_MAX shows negative.
void appendBrightness(std::string& out, const StarRecord& s) {
  appendIntCell(out, static_cast<int>(s.brightness));
}

void appendPairedRow(std::string& out, const Workspace& ws, int k, int p) {
  const StarRecord& blue = star(ws, kBlue, k);
  const StarRecord& green = star(ws, kGreen, p);
  appendNewRow(out);
  appendPairNumber(out, blue, green, k + 1);
  appendPosition(out, blue);
  appendBrightness(out, blue);
  appendValue(out, blue.lgBrightness);
  appendValue(out, blue.magnitudeB);
  appendBrightness(out, green);
  appendValue(out, green.lgBrightness);
  appendValue(out, blue.magnitudeV);
  appendValue(out, blue.magnitudeB - blue.magnitudeV);
  appendValue(out, blue.magnitudeV);
}

void appendUnpairedBlueRow(std::string& out, const StarRecord& blue, int number) {
  appendNewRow(out);
  appendSingleNumber(out, blue, number);
  appendPosition(out, blue);
  appendBrightness(out, blue);
  appendValue(out, blue.lgBrightness);
  appendValue(out, blue.magnitudeB);
  appendEmptyCells(out, 5);
}

// A green star without a partner has no V magnitude (magnitudes live in the
// blue record of a pair), so its Mag(V) cell stays empty like B-V and V.
void appendUnpairedGreenRow(std::string& out, const StarRecord& green, int number) {
  appendNewRow(out);
  appendSingleNumber(out, green, number);
  appendPosition(out, green);
  appendEmptyCells(out, 3);
  appendBrightness(out, green);
  appendValue(out, green.lgBrightness);
  appendEmptyCells(out, 3);
}

void appendCurve(std::string& out, const double* coefficients, int n) {
  for (int i = 0; i < n; ++i) {
    appendFixed3(out, coefficients[i]);
    out += kCurvePower;
    appendInt(out, i);
  }
}

// The report as it is made. With a file, the text goes to it a block at a
// time between rows: a report of thousands of stars never stands whole in
// memory.
struct ReportOut {
  static constexpr std::size_t kBlock = 64 * 1024;
  std::string text;
  AtomicWriter* file = nullptr;

  void rowDone() {
    if (file == nullptr || text.size() < kBlock) return;
    flush();
  }
  void flush() {
    file->write({reinterpret_cast<const unsigned char*>(text.data()), text.size()});
    text.clear();
  }
};

void appendComplexBody(ReportOut& report, const Workspace& ws) {
  std::string& out = report.text;
  int blueCount = validCount(ws, kBlue);
  int greenCount = validCount(ws, kGreen);
  appendText(out, str::ReportComplexHeader);
  for (int k = 0; k < blueCount; ++k) {
    int p = partnerOf(ws, star(ws, kBlue, k));
    if (p != -1) appendPairedRow(out, ws, k, p);
    report.rowDone();
  }
  for (int k = 0; k < blueCount; ++k) {
    if (partnerOf(ws, star(ws, kBlue, k)) == -1)
      appendUnpairedBlueRow(out, star(ws, kBlue, k), k + 1);
    report.rowDone();
  }
  // The running number is raised before each row, so the first unpaired
  // green star is numbered blue count + 2.
  int number = ws.starCount[kBlue] + 1;
  for (int k = 0; k < greenCount; ++k) {
    if (partnerOf(ws, star(ws, kGreen, k)) == -1)
      appendUnpairedGreenRow(out, star(ws, kGreen, k), ++number);
    report.rowDone();
  }
  // Each level as its field shows it; a whole one reads as "%d" printed it.
  const std::string format =
      levelPattern(levelPattern(std::string(stringText(str::ReportSummary)), 3), 1);
  std::string summary;
  appendf(summary, format.c_str(), ws.starCount[kBlue], escapedTitle(ws, kBlue).c_str(),
          shortestText(ws.backgroundLevel[kBlue]).c_str(), ws.starCount[kGreen],
          escapedTitle(ws, kGreen).c_str(), shortestText(ws.backgroundLevel[kGreen]).c_str(),
          ws.overlapCount);
  appendWithCrLf(out, summary);
  int n = std::clamp(ws.algorithm.coefficientCount, 0, kMaxCoefficients);
  appendText(out, str::ReportBlueCurve);
  appendCurve(out, ws.curves[kBlue], n);
  appendText(out, str::ReportGreenCurve);
  appendCurve(out, ws.curves[kGreen], n);
  out += kComplexEnd;
}

void appendSimpleBody(ReportOut& report, const Workspace& ws) {
  std::string& out = report.text;
  appendText(out, str::ReportSimpleHeader);
  int blueCount = validCount(ws, kBlue);
  for (int k = 0; k < blueCount; ++k) {
    const StarRecord& blue = star(ws, kBlue, k);
    int p = partnerOf(ws, blue);
    if (p == -1 || hasBit(blue.marks, MARK_IGNORE)) continue;
    appendNewRow(out);
    appendPairNumber(out, blue, star(ws, kGreen, p), k + 1);
    appendPosition(out, blue);
    appendValue(out, blue.magnitudeB - blue.magnitudeV);
    appendValue(out, blue.magnitudeV);
    report.rowDone();
  }
  out += kSimpleEnd;
}

}  // namespace

std::string htmlEscaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
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
      default:
        out += c;
    }
  }
  return out;
}

namespace {

void appendReport(ReportOut& report, const Workspace& ws) {
  std::string& out = report.text;
  out += kHead;
  appendf(out, kTableStart.chars,
          kRowHeight * (ws.starCount[kBlue] + ws.starCount[kGreen]) - ws.overlapCount);
  out += kRowStart;
  if (hasBit(ws.optionFlags, OPT_COMPLEX_OUTPUT))
    appendComplexBody(report, ws);
  else
    appendSimpleBody(report, ws);
}

}  // namespace

std::string reportText(const Workspace& ws) {
  int stars = validCount(ws, kBlue) + validCount(ws, kGreen);
  ReportOut report;
  report.text.reserve(2048 + 512 * static_cast<std::size_t>(stars));
  appendReport(report, ws);
  // Every "\n" follows the "\r" put before it, and no other "\r" does.
  std::string& text = report.text;
  std::size_t kept = 0;
  for (std::size_t at = 0; at < text.size(); ++at)
    if (text[at] != '\r' || at + 1 == text.size() || text[at + 1] != '\n') text[kept++] = text[at];
  text.resize(kept);
  return std::move(text);
}

WriteOutcome writeReport(const Workspace& ws, const std::string& path) {
  AtomicWriter file;
  StringId failure = kNoString;
  if (file.open(path, failure)) {
    ReportOut report{{}, &file};
    report.text.reserve(ReportOut::kBlock + 4096);  // a block and the row that fills it
    appendReport(report, ws);
    report.flush();
    if (file.commit(failure)) return {WriteStatus::Ok, std::nullopt};
  }
  return {WriteStatus::Failed, failure};
}

}  // namespace orelith
