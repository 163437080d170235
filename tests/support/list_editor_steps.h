#pragma once
// Plays a list dialog (the model the alias and filter dialogs share) as a
// user would, one step at a time, and checks after each what the window
// would show: the rows, the selection, the edit fields and the message.
#include <string>
#include <vector>

#include "common/list_editor.h"

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
void PlaySteps(ListEditorModel& model, const std::vector<EditStep>& steps, bool answer = true);

}  // namespace kestrel::test
