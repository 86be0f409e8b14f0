#include "network/two_mode_names.h"

namespace tarn {

int TwoModeNames::id_of(std::string_view label, int mode) {
  NodeLabels& labels = labels_[mode];
  if (const int index = labels.labelled(label)) {
    return id_of_index_[mode][static_cast<std::size_t>(index - 1)];
  }
  if (id_count() >= limit_) return 0;
  const int index = labels.add(label);
  mode_of_id_.push_back(static_cast<std::int8_t>(mode));
  index_of_id_.push_back(index);
  id_of_index_[mode].push_back(id_count());
  return id_count();
}

std::string TwoModeNames::name_of_id(int id) const {
  const auto k = static_cast<std::size_t>(id - 1);
  return labels_[mode_of_id_[k]].name(index_of_id_[k]);
}

TwoModeNumbering TwoModeNames::numbering(int dropped) const {
  TwoModeNumbering result;
  std::vector<std::string> names[2];
  for (int id = dropped + 1; id <= id_count(); ++id) {
    names[mode_of_id_[static_cast<std::size_t>(id - 1)]].push_back(name_of_id(id));
  }
  result.first_mode = static_cast<int>(names[0].size());
  result.node_count = result.first_mode + static_cast<int>(names[1].size());
  int next[2] = {1, result.first_mode + 1};
  result.node_of_id.assign(static_cast<std::size_t>(id_count()), 1);
  for (int id = dropped + 1; id <= id_count(); ++id) {
    const auto k = static_cast<std::size_t>(id - 1);
    result.node_of_id[k] = next[mode_of_id_[k]]++;
  }
  for (std::string& name : names[1]) names[0].push_back(std::move(name));
  result.labels = NodeLabels(std::move(names[0]));
  return result;
}

}  // namespace tarn
