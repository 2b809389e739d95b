// Drawing sinks without a surface: one that keeps every operation for tests,
// and one that prints each operation as it comes, in the tool's text form:
//   clear | color R G B | line X1 Y1 X2 Y2 | flush
// with each coordinate printed as %.17g, so that the text gives the doubles back exactly.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "draw_sink.h"

namespace morv {

enum class DrawOpKind { Clear, Color, Line, Flush };

struct DrawOp {
  DrawOpKind kind;
  std::uint8_t red, green, blue;  // Color
  double x1, y1, x2, y2;          // Line
};

// One operation as one line of text, without the line end.
std::string FormatDrawOp(const DrawOp& op);
// One operation and a \n.
void WriteDrawOp(std::FILE* out, const DrawOp& op);

class RecordingSink : public DrawSink {
 public:
  void Clear() override;
  void Color(std::uint8_t red, std::uint8_t green, std::uint8_t blue) override;
  void Line(double x1, double y1, double x2, double y2) override;
  void Flush() override;

  // Every operation so far, one per line.
  std::string Text() const;

  std::vector<DrawOp> ops;
};

class PrintingSink : public DrawSink {
 public:
  explicit PrintingSink(std::FILE* out) : out_(out) {}
  void Clear() override;
  void Color(std::uint8_t red, std::uint8_t green, std::uint8_t blue) override;
  void Line(double x1, double y1, double x2, double y2) override;
  void Flush() override;

 private:
  std::FILE* out_;
};

}  // namespace morv
