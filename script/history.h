#pragma once
// The history of a project: whole states (the fifteen rows are small), one for each
// change, and a place among them that undo and redo move. Whether the project has
// changed is whether its rows differ from the ones last opened or saved, compared,
// never counted, so undoing back to them means unchanged again.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "script/script_file.h"

namespace script {

// A range of rows: anchor is where it began, active the row that moves with the
// keys; first() to last() are selected.
struct Selection {
  int anchor = 0;
  int active = 0;
  int first() const { return anchor < active ? anchor : active; }
  int last() const { return anchor < active ? active : anchor; }
  int count() const { return last() - first() + 1; }
  bool operator==(const Selection&) const = default;
};

// Each row's identity, so that a row can be found again after any edit (0: an
// empty row).
using RowIds = std::array<std::uint32_t, kRowCount>;

// The identities after an edit: each row keeps its own where it went, and every
// filled row without one (a row the edit put in) gets the next of *next.
RowIds carry_ids(const RowIds& ids, const std::array<int, kRowCount>& moves, const Rows& rows,
                 std::uint32_t& next);

struct ProjectState {
  Rows rows;
  RowIds ids{};
  Selection selection;
};

class History {
 public:
  // Changes kept: at least this many, fewer only while their states pass
  // kMaxBytes (rows edited by hand can be long).
  static constexpr std::size_t kMaxSteps = 200;
  static constexpr std::size_t kMaxBytes = 64 * 1024 * 1024;

  History() { reset({}); }

  // A fresh history at state, whose rows count as saved (New, Open).
  void reset(ProjectState state);
  // A change: before is the selection just before it, which undo brings back;
  // after is the state it made; what says it in words ("перемещение диалога 4").
  // Drops the changes that could have been redone.
  void push(Selection before, ProjectState after, std::string what);

  bool can_undo() const { return at_ > 0; }
  bool can_redo() const { return at_ + 1 < states_.size(); }
  // One step back or forward: the state to show now. Only when it can.
  const ProjectState& undo();
  const ProjectState& redo();
  // The words of the change that undo or redo would take back or make again.
  const std::string& undo_what() const { return steps_[at_ - 1].what; }
  const std::string& redo_what() const { return steps_[at_].what; }
  const ProjectState& current() const { return states_[at_]; }
  std::size_t steps() const { return steps_.size(); }

  // The rows were written to their file.
  void saved(const Rows& rows) { saved_ = rows; }
  bool changed(const Rows& rows) const { return rows != saved_; }

 private:
  struct Step {
    std::string what;
    Selection before;  // the selection the change began with
  };
  std::size_t bytes_of(const ProjectState& s) const;

  std::vector<ProjectState> states_;  // states_[k + 1] is what steps_[k] made
  std::vector<Step> steps_;
  std::size_t at_ = 0;  // the state shown
  std::size_t bytes_ = 0;
  Rows saved_;
};

}  // namespace script
