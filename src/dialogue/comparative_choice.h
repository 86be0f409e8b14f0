#pragma once
#include <memory>

#include "dialogue/session.h"
#include "network/data_file.h"

namespace tarn {

// Asks for the comparative network file until an existing one is named, opens it and names it
// in the output file. It is read when the fit begins.
std::unique_ptr<DataFile> choose_comparative_file(Session& session);

}  // namespace tarn
