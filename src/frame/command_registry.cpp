#include "frame/command_registry.h"

#include <iterator>
#include <string>

#include "common/trace.h"

namespace kestrel {

CommandRegistry::State CommandRegistry::Checked(std::function<bool()> on) {
  return [on = std::move(on)](const CommandContext&) { return CommandState{true, on()}; };
}

void CommandRegistry::Remove(unsigned first, unsigned last) {
  if (last < first) return;
  // Ranges cut by [first, last] keep their parts outside it.
  auto it = entries_.lower_bound(first);
  if (it != entries_.begin()) {
    auto before = std::prev(it);
    if (before->second.last >= first) {
      Entry tail = before->second;
      before->second.last = first - 1;
      if (tail.last > last) entries_.emplace(last + 1, std::move(tail));
    }
  }
  it = entries_.lower_bound(first);
  while (it != entries_.end() && it->first <= last) {
    if (it->second.last > last) {
      Entry tail = std::move(it->second);
      entries_.erase(it);
      entries_.emplace(last + 1, std::move(tail));
      break;
    }
    it = entries_.erase(it);
  }
}

void CommandRegistry::Add(unsigned first, unsigned last, Handler handler, State state) {
  if (last < first || !handler) return;
  Remove(first, last);
  entries_.emplace(first, Entry{last, std::move(handler), state ? std::move(state) : State(Enabled)});
}

const CommandRegistry::Entry* CommandRegistry::Find(unsigned id) const {
  auto it = entries_.upper_bound(id);
  if (it == entries_.begin()) return nullptr;
  --it;
  return id <= it->second.last ? &it->second : nullptr;
}

CommandState CommandRegistry::StateOf(const CommandContext& context) const {
  const Entry* e = Find(context.id);
  CommandState state;
  if (e) RunContained("state of command " + std::to_string(context.id), [&] { state = e->state(context); });
  return state;
}

bool CommandRegistry::Execute(const CommandContext& context) const {
  const Entry* e = Find(context.id);
  if (!e || !StateOf(context).enabled) return false;
  // A copy: the handler may register or remove commands, this one included.
  Handler handler = e->handler;
  return RunContained("command " + std::to_string(context.id), [&] { handler(context); });
}

}  // namespace kestrel
