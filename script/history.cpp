#include "script/history.h"

#include <utility>

namespace script {

RowIds carry_ids(const RowIds& ids, const std::array<int, kRowCount>& moves, const Rows& rows,
                 std::uint32_t& next) {
  RowIds out{};
  for (std::size_t i = 0; i < ids.size(); ++i)
    if (moves[i] >= 0 && moves[i] < kRowCount) out[static_cast<std::size_t>(moves[i])] = ids[i];
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (rows[i].empty())
      out[i] = 0;
    else if (out[i] == 0)
      out[i] = next++;
  }
  return out;
}

std::size_t History::bytes_of(const ProjectState& s) const {
  std::size_t n = sizeof s;
  for (const std::string& row : s.rows) n += row.size();
  return n;
}

void History::reset(ProjectState state) {
  saved_ = state.rows;
  states_.clear();
  steps_.clear();
  bytes_ = bytes_of(state);
  states_.push_back(std::move(state));
  at_ = 0;
}

void History::push(Selection before, ProjectState after, std::string what) {
  while (states_.size() > at_ + 1) {
    bytes_ -= bytes_of(states_.back());
    states_.pop_back();
    steps_.pop_back();
  }
  bytes_ += bytes_of(after);
  states_.push_back(std::move(after));
  steps_.push_back({std::move(what), before});
  ++at_;
  while (steps_.size() > kMaxSteps || (bytes_ > kMaxBytes && steps_.size() > 1)) {
    bytes_ -= bytes_of(states_.front());
    states_.erase(states_.begin());
    steps_.erase(steps_.begin());
    --at_;
  }
}

const ProjectState& History::undo() {
  ProjectState& back = states_[--at_];
  back.selection = steps_[at_].before;
  return back;
}

const ProjectState& History::redo() { return states_[++at_]; }

}  // namespace script
