#pragma once
// Tarnwick as a library: read a network (from files, or from arrays of labels and attribute
// columns), the statistics of a statnet formula on it, a fit by one of the estimators, networks
// drawn from a model, and a goodness-of-fit check. The command line is a front end over these
// calls; a program links them by find_package(tarnwick) and target tarnwick::tarnwick.
//
// The results are numbers (tarnwick/results/); tarnwick/reporting.h writes them as the command
// line's texts on demand. Errors are exceptions of the types in tarnwick/errors.h; nothing here
// prints or exits.

#include "tarnwick/errors.h"
#include "tarnwick/fit.h"
#include "tarnwick/model.h"
#include "tarnwick/network.h"
#include "tarnwick/processes.h"
#include "tarnwick/reporting.h"
#include "tarnwick/results/estimate.h"
#include "tarnwick/results/simulation.h"
#include "tarnwick/results/warning.h"
#include "tarnwick/saved_fit.h"
#include "tarnwick/simulate.h"
#include "tarnwick/statistics.h"
#include "tarnwick/terms.h"
#include "tarnwick/work.h"

// The classic model of the sixteen configuration types, as the dialogue fits it (its data files,
// the blocking, the model, the fit and its fixed-width report), is apart from these calls:
// include "tarnwick/classic/data.h", "tarnwick/classic/model.h", "tarnwick/classic/fit.h" and
// "tarnwick/classic/report.h" for it.
