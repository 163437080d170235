#pragma once
// Who handles a command, and whether it can be chosen now. Every subsystem
// registers its commands here, an id or a range at a time, where it lives;
// the menus, the toolbar, the accelerators and the context menus only ask.
// A command nobody has registered is disabled everywhere and does nothing.
#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace kestrel {

class CKestrelView;

struct CommandState {
  bool enabled = false;
  bool checked = false;
  bool operator==(const CommandState&) const = default;
};

// What a command acts on: its id (a dynamic range's handler needs it) and
// the site it is for, the active one or the one whose tab was clicked;
// nullptr when there is none.
struct CommandContext {
  unsigned id = 0;
  CKestrelView* site = nullptr;
};

class CommandRegistry {
 public:
  using Handler = std::function<void(const CommandContext&)>;
  using State = std::function<CommandState(const CommandContext&)>;

  // Enabled and never checked.
  static CommandState Enabled(const CommandContext&) { return {true, false}; }
  // Enabled only with a site to act on.
  static CommandState NeedsSite(const CommandContext& c) { return {c.site != nullptr, false}; }
  // Enabled, and checked while `on` says so.
  static State Checked(std::function<bool()> on);

  // `first` to `last` inclusive go to `handler`; a registration that
  // overlaps an earlier one replaces it for the ids it covers.
  void Add(unsigned first, unsigned last, Handler handler, State state = Enabled);
  void Add(unsigned id, Handler handler, State state = Enabled) { Add(id, id, std::move(handler), std::move(state)); }
  // The subsystem goes away: its ids are unhandled again.
  void Remove(unsigned first, unsigned last);

  bool Has(unsigned id) const { return Find(id) != nullptr; }
  // Disabled and unchecked for an id nobody handles.
  CommandState StateOf(const CommandContext& context) const;
  // Runs the handler when the command is enabled now; false when it is not
  // (or nobody handles it, or the handler failed: a command that throws
  // just has no effect).
  bool Execute(const CommandContext& context) const;

 private:
  struct Entry {
    unsigned last;
    Handler handler;
    State state;
  };
  const Entry* Find(unsigned id) const;
  std::map<unsigned, Entry> entries_;  // by first id; the ranges never overlap
};

// The commands one subsystem registers, taken back when it goes: its
// handlers hold the subsystem, and no command may reach it afterwards.
class CommandScope {
 public:
  explicit CommandScope(CommandRegistry& registry) : registry_(registry) {}
  ~CommandScope() {
    for (const auto& [first, last] : ranges_) registry_.Remove(first, last);
  }
  CommandScope(const CommandScope&) = delete;
  CommandScope& operator=(const CommandScope&) = delete;

  void Add(unsigned first, unsigned last, CommandRegistry::Handler handler,
           CommandRegistry::State state = CommandRegistry::Enabled) {
    registry_.Add(first, last, std::move(handler), std::move(state));
    ranges_.emplace_back(first, last);
  }
  void Add(unsigned id, CommandRegistry::Handler handler, CommandRegistry::State state = CommandRegistry::Enabled) {
    Add(id, id, std::move(handler), std::move(state));
  }

 private:
  CommandRegistry& registry_;
  std::vector<std::pair<unsigned, unsigned>> ranges_;
};

}  // namespace kestrel
