#pragma once
// Plays a list dialog (the model the alias and filter dialogs share) as a
// user would, one step at a time, and checks after each what the window
// would show: the rows, the selection, the edit fields and the message.
#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/list_editor.h"
#include "support/fakes.h"

namespace kestrel::test {

struct EditStep {
  std::string act;                 // "add", "remove", "change", "select <rows...>", "sort <column>" or "" to look
  std::vector<std::string> typed;  // put into the edit fields first, unless empty
  bool changed;                    // what add, remove and change answer
  std::string rows;                // every row's first column, joined by "|"
  std::string selected;            // the selected rows, blank-separated
  std::string fields;              // the edit fields afterwards, joined by "|"
  std::string message = "";        // the one message shown, if any
};

// Questions are answered with `answer`.
inline void PlaySteps(ListEditorModel& m, const std::vector<EditStep>& steps, bool answer = true) {
  MessageRecorder said(answer);
  for (const EditStep& s : steps) {
    SCOPED_TRACE(s.act + (s.typed.empty() ? "" : " \"" + s.typed[0] + "\""));
    said.messages.clear();
    if (!s.typed.empty()) m.SetFields(s.typed);
    std::istringstream words(s.act);
    std::string verb;
    words >> verb;
    if (verb.empty()) {
      // only look
    } else if (verb == "select" || verb == "sort") {
      std::set<int> rows;
      for (int r; words >> r;) rows.insert(r);
      verb == "sort" ? m.SortBy(*rows.begin()) : m.SelectRows(rows);
    } else {
      ASSERT_TRUE(verb == "add" || verb == "remove" || verb == "change") << verb;
      EXPECT_EQ(verb == "add" ? m.Add() : verb == "remove" ? m.Remove() : m.Change(), s.changed);
    }
    std::string rows, selected, fields;
    for (std::size_t r = 0; r < m.RowCount(); ++r) rows += (r ? "|" : "") + m.Cell(r, 0);
    for (int r : m.SelectedRows()) selected += (selected.empty() ? "" : " ") + std::to_string(r);
    for (int c = 0; c < m.Columns(); ++c) fields += (c ? "|" : "") + m.Field(c);
    EXPECT_EQ(rows, s.rows);
    EXPECT_EQ(selected, s.selected);
    EXPECT_EQ(fields, s.fields);
    EXPECT_EQ(said.messages, s.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{s.message});
  }
}

}  // namespace kestrel::test
