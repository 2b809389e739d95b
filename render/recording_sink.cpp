#include "recording_sink.h"

namespace morv {
namespace {

constexpr DrawOp ClearOp = {DrawOpKind::Clear, 0, 0, 0, 0, 0, 0, 0};
constexpr DrawOp FlushOp = {DrawOpKind::Flush, 0, 0, 0, 0, 0, 0, 0};

DrawOp ColorOp(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return {DrawOpKind::Color, red, green, blue, 0, 0, 0, 0};
}

DrawOp LineOp(double x1, double y1, double x2, double y2) {
  return {DrawOpKind::Line, 0, 0, 0, x1, y1, x2, y2};
}

// Longest line: "line " and four %.17g numbers (at most 24 characters each).
constexpr int OpTextChars = 128;

int Format(char (&out)[OpTextChars], const DrawOp& op) {
  switch (op.kind) {
    case DrawOpKind::Clear:
      return std::snprintf(out, sizeof out, "clear");
    case DrawOpKind::Color:
      return std::snprintf(out, sizeof out, "color %u %u %u", unsigned{op.red},
                           unsigned{op.green}, unsigned{op.blue});
    case DrawOpKind::Line:
      return std::snprintf(out, sizeof out, "line %.17g %.17g %.17g %.17g", op.x1, op.y1, op.x2,
                           op.y2);
    case DrawOpKind::Flush:
      return std::snprintf(out, sizeof out, "flush");
  }
  out[0] = '\0';
  return 0;
}

}  // namespace

std::string FormatDrawOp(const DrawOp& op) {
  char text[OpTextChars];
  Format(text, op);
  return text;
}

void WriteDrawOp(std::FILE* out, const DrawOp& op) {
  char text[OpTextChars];
  Format(text, op);
  std::fputs(text, out);
  std::fputc('\n', out);
}

void RecordingSink::Clear() { ops.push_back(ClearOp); }
void RecordingSink::Color(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  ops.push_back(ColorOp(red, green, blue));
}
void RecordingSink::Line(double x1, double y1, double x2, double y2) {
  ops.push_back(LineOp(x1, y1, x2, y2));
}
void RecordingSink::Flush() { ops.push_back(FlushOp); }

std::string RecordingSink::Text() const {
  std::string text;
  for (const DrawOp& op : ops) {
    text += FormatDrawOp(op);
    text += '\n';
  }
  return text;
}

void PrintingSink::Clear() { WriteDrawOp(out_, ClearOp); }
void PrintingSink::Color(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  WriteDrawOp(out_, ColorOp(red, green, blue));
}
void PrintingSink::Line(double x1, double y1, double x2, double y2) {
  WriteDrawOp(out_, LineOp(x1, y1, x2, y2));
}
void PrintingSink::Flush() { WriteDrawOp(out_, FlushOp); }

}  // namespace morv
