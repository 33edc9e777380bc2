#pragma once
// A clean store and fresh live view windows for each test, and queries on the
// canvas draw log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/PlantStore.h"
#include "views/live/TForm4.h"
#include "views/live/TForm6.h"
#include "views/live/TForm9.h"

class LiveViewTest : public ::testing::Test {
protected:
  void SetUp() override {
    ClearPlantStore();
    Form4 = &form4;
    Form6 = &form6;
    Form9 = &form9;
    form4.Image1->GetCanvas().EnableLog(true);
    form6.Image1->GetCanvas().EnableLog(true);
  }
  void TearDown() override {
    Form4 = nullptr;
    Form6 = nullptr;
    Form9 = nullptr;
  }

  const std::vector<DrawLogEntry>& Log4() { return form4.Image1->GetCanvas().Log(); }
  const std::vector<DrawLogEntry>& Log6() { return form6.Image1->GetCanvas().Log(); }

  TForm4 form4{nullptr};
  TForm6 form6{nullptr};
  TForm9 form9{nullptr};
};

// The texts drawn at (x, y), in drawing order.
inline std::vector<std::string> TextsAt(const std::vector<DrawLogEntry>& log, int x, int y) {
  std::vector<std::string> texts;
  for (const DrawLogEntry& e : log)
    if (e.op == DrawLogEntry::TextOut && e.x == x && e.y == y) texts.push_back(e.text);
  return texts;
}

// The one text drawn at (x, y); fails the test when there is not exactly one.
inline std::string TextAt(const std::vector<DrawLogEntry>& log, int x, int y) {
  const std::vector<std::string> texts = TextsAt(log, x, y);
  EXPECT_EQ(texts.size(), 1u) << "texts at (" << x << "," << y << ")";
  return texts.empty() ? std::string() : texts.front();
}

// The log entry of the first text equal to `text`, or nullptr.
inline const DrawLogEntry* FindText(const std::vector<DrawLogEntry>& log, const std::string& text) {
  for (const DrawLogEntry& e : log)
    if (e.op == DrawLogEntry::TextOut && e.text == text) return &e;
  return nullptr;
}

inline int CountOps(const std::vector<DrawLogEntry>& log, DrawLogEntry::Operation op) {
  int n = 0;
  for (const DrawLogEntry& e : log) n += e.op == op;
  return n;
}
