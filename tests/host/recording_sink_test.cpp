#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "recording_sink.h"

namespace morv {
namespace {

void DrawSample(DrawSink& sink) {
  sink.Clear();
  sink.Color(0, 255, 0);
  sink.Line(0, -1, 0, -0.6);
  sink.Line(0.1, -0.5, 1, 1e-20);
  sink.Color(255, 7, 128);
  sink.Flush();
}

const char SampleText[] =
    "clear\n"
    "color 0 255 0\n"
    "line 0 -1 0 -0.59999999999999998\n"
    "line 0.10000000000000001 -0.5 1 9.9999999999999995e-21\n"
    "color 255 7 128\n"
    "flush\n";

TEST(RecordingSink, KeepsEveryOperationInOrder) {
  RecordingSink sink;
  DrawSample(sink);
  ASSERT_EQ(sink.ops.size(), 6u);
  EXPECT_EQ(sink.ops[0].kind, DrawOpKind::Clear);
  EXPECT_EQ(sink.ops[1].kind, DrawOpKind::Color);
  EXPECT_EQ(sink.ops[1].green, 255);
  EXPECT_EQ(sink.ops[2].kind, DrawOpKind::Line);
  EXPECT_EQ(sink.ops[2].y2, -0.6);
  EXPECT_EQ(sink.ops[4].red, 255);
  EXPECT_EQ(sink.ops[4].green, 7);
  EXPECT_EQ(sink.ops[4].blue, 128);
  EXPECT_EQ(sink.ops[5].kind, DrawOpKind::Flush);
}

TEST(RecordingSink, PrintsEachOperationAsOneLineWithRoundTripDoubles) {
  RecordingSink sink;
  DrawSample(sink);
  EXPECT_EQ(sink.Text(), SampleText);
  // %.17g gives every double back exactly.
  double x1, y1, x2, y2;
  ASSERT_EQ(std::sscanf(FormatDrawOp(sink.ops[3]).c_str(), "line %lf %lf %lf %lf", &x1, &y1, &x2,
                        &y2),
            4);
  EXPECT_EQ(x1, 0.1);
  EXPECT_EQ(y2, 1e-20);
}

TEST(PrintingSink, WritesTheSameTextAsTheRecordingSinkAsItGoes) {
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  PrintingSink sink(file);
  DrawSample(sink);
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text += static_cast<char>(c);
  std::fclose(file);
  EXPECT_EQ(text, SampleText);
}

}  // namespace
}  // namespace morv
