#pragma once
// A network as the list of its links (sender, receiver; nodes 1..n), in the order given.

#include <utility>
#include <vector>

namespace tarn::test {

using LinkList = std::vector<std::pair<int, int>>;

}  // namespace tarn::test
