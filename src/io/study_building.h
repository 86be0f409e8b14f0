#pragma once
// The study of a --model formula on the data of a command: the model built through the term
// table (its attribute terms read the attribute file, edgecov its files), with what the model
// and the data ask of each other checked.

#include <string>
#include <vector>

#include "io/input_data.h"
#include "model/study.h"

namespace tarn {

// Throws UsageError naming --model (or --covariate, --diagonal), FatalError for an edgecov file
// that cannot be read or a network that the terms cannot read. Notes for the user (a self-link
// left out, m2star) and the files read join `data`.
Study build_study(const std::string& formula, InputData& data, const StudyOptions& options);

// What the terms read of the data (the kind of network, attributes, labels, dyadic covariates by
// name or file), for terms built outside a study (a model of counts). `data` must outlive it.
TermContext data_term_context(InputData& data, const StudyOptions& options);

// What the model leaves unused of the options: block_by_unused (figure: attribute) when
// --block-by is given and the model has no block term.
std::vector<Warning> model_warnings(const Model& model, const StudyOptions& options);

}  // namespace tarn
