#pragma once
#include <functional>

#include "network/data_file.h"
#include "network/network.h"
#include "network/pair_rows.h"

namespace tarn {

// Reads a network file (record-format line, then one link per record: sender, receiver, value;
// a value of 0 is no link) into the link store. `stage_done` is called when the records have been
// read and again when the reciprocated links have been marked. `rows` (when given) notes every
// record with its values (network/pair_rows.h), so that the command line reads one network.
// `limits`: the dialogue's capacities unless the command line gives its own.
Network read_network_file(DataFile& file, const std::function<void()>& stage_done = {},
                          PairRows* rows = nullptr, NetworkLimits limits = dialogue_limits);

// How messages name a network file: Network file "net.dat".
std::string network_file_source(const DataFile& file);

}  // namespace tarn
