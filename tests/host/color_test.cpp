#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <tuple>
#include <vector>

#include "color.h"

namespace morv {
namespace {

std::tuple<int, int, int> Rgb(const DrawColor& c) { return {c.red, c.green, c.blue}; }

DrawColor Stepped(DrawColor c, int steps = 1) {
  for (int i = 0; i < steps; ++i) StepDrawColor(c);
  return c;
}

TEST(StepDrawColor, EachRuleMovesOneChannelByOne) {
  const struct {
    DrawColor from, to;
  } cases[] = {
      {{0, 255, 0}, {1, 255, 0}},       // start colour: rule 1
      {{100, 255, 0}, {101, 255, 0}},   // rule 1, green to yellow
      {{255, 100, 0}, {255, 99, 0}},    // rule 2, yellow to red
      {{255, 0, 100}, {255, 0, 101}},   // rule 3, red to magenta
      {{100, 0, 255}, {99, 0, 255}},    // rule 4, magenta to blue
      {{0, 100, 255}, {0, 101, 255}},   // rule 5, blue to cyan
      {{0, 255, 100}, {0, 255, 99}},    // rule 6, cyan to green
      {{0, 255, 1}, {0, 255, 0}},       // last step of the cycle
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Rgb(Stepped(c.from)), Rgb(c.to))
        << int{c.from.red} << " " << int{c.from.green} << " " << int{c.from.blue};
  }
}

TEST(StepDrawColor, RuleOrderDecidesTheCorners) {
  const struct {
    DrawColor from, to;
  } cases[] = {
      {{255, 255, 0}, {255, 254, 0}},   // not a further red step: rule 2
      {{255, 0, 0}, {255, 0, 1}},       // rule 3
      {{255, 0, 255}, {254, 0, 255}},   // rule 4
      {{0, 0, 255}, {0, 1, 255}},       // rule 5
      {{0, 255, 255}, {0, 255, 254}},   // rule 6
      {{0, 255, 0}, {1, 255, 0}},       // rule 1 again
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Rgb(Stepped(c.from)), Rgb(c.to))
        << int{c.from.red} << " " << int{c.from.green} << " " << int{c.from.blue};
  }
}

TEST(StepDrawColor, ReachesTheCornersEvery255StepsFromTheStart) {
  const struct {
    int steps;
    DrawColor color;
  } cases[] = {{0, {0, 255, 0}},      {255, {255, 255, 0}}, {510, {255, 0, 0}},
               {765, {255, 0, 255}},  {1020, {0, 0, 255}},  {1275, {0, 255, 255}},
               {1530, {0, 255, 0}}};
  for (const auto& c : cases) {
    EXPECT_EQ(Rgb(Stepped(StartColor, c.steps)), Rgb(c.color)) << c.steps << " steps";
  }
}

TEST(StepDrawColor, OneStepFromTheSecondLastColourOfTheCycleAndOnIntoTheNext) {
  DrawColor c{0, 255, 1};
  StepDrawColor(c);
  EXPECT_EQ(Rgb(c), std::make_tuple(0, 255, 0));
  StepDrawColor(c);
  EXPECT_EQ(Rgb(c), std::make_tuple(1, 255, 0));
}

TEST(StepDrawColor, ColoursOffTheCycleNeverChange) {
  const DrawColor cases[] = {{100, 100, 100}, {0, 0, 0},     {255, 255, 255},
                             {1, 254, 0},     {128, 0, 0},   {0, 128, 128}};
  for (const DrawColor& c : cases) {
    EXPECT_EQ(Rgb(Stepped(c, 3000)), Rgb(c))
        << int{c.red} << " " << int{c.green} << " " << int{c.blue};
  }
}

TEST(StepDrawColor, TheCycleHas1530DistinctColoursEachOneUnitFromTheNext) {
  std::vector<DrawColor> cycle;
  DrawColor c = StartColor;
  for (int i = 0; i < 1530; ++i) {
    cycle.push_back(c);
    const DrawColor next = Stepped(c);
    const int moved = std::abs(next.red - c.red) + std::abs(next.green - c.green) +
                      std::abs(next.blue - c.blue);
    ASSERT_EQ(moved, 1) << "step " << i;
    // On the edge of the cube: one channel 0, one 255.
    const int zeros = (c.red == 0) + (c.green == 0) + (c.blue == 0);
    const int fulls = (c.red == 255) + (c.green == 255) + (c.blue == 255);
    ASSERT_GE(zeros, 1) << "step " << i;
    ASSERT_GE(fulls, 1) << "step " << i;
    c = next;
  }
  std::set<std::tuple<int, int, int>> distinct;
  for (const DrawColor& k : cycle) distinct.insert(Rgb(k));
  EXPECT_EQ(distinct.size(), 1530u);
  for (const DrawColor& k : cycle) {
    ASSERT_EQ(Rgb(Stepped(k, 1530)), Rgb(k))
        << int{k.red} << " " << int{k.green} << " " << int{k.blue};
  }
}

}  // namespace
}  // namespace morv
