#include "support/list_editor_steps.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/fakes.h"

namespace kestrel::test {

void PlaySteps(ListEditorModel& m, const std::vector<EditStep>& steps, bool answer) {
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
