#include "report/warning_text.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <utility>
#include <variant>

#include "network/setting_error.h"
#include "report/unblocked_nodes_note.h"

namespace tarn {

namespace {

std::string count_of(const Warning& w, const char* name) {
  return std::to_string(w.count(name));
}

// Where maximum likelihood by MCMC started when the first start was bad: the dyad-independent
// estimate, or a point towards it.
std::string start_point(const Warning& w) {
  const double share = w.number("share");
  if (!(share > 0.0)) {
    return "from the estimate of the model's dyad-independent terms, the others 0";
  }
  char figure[32];
  std::snprintf(figure, sizeof figure, "%g", share);
  return std::string("nearer the estimate of the model's dyad-independent terms (the others 0): ") +
         figure + " of the way from it to the first start";
}

std::string figure(const char* format, double value) {
  char text[48];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// What the networks drawn looked like (the figures of simulate/degeneracy_evidence.h).
std::string draws_described(const Warning& w) {
  const std::string kind = w.text("kind");
  const std::string spread = figure("%.1f", w.number("mean_links")) + " links on average (sd " +
                             figure("%.1f", w.number("sd_links")) + ", " +
                             count_of(w, "least_links") + " to " + count_of(w, "most_links") +
                             ") against " + count_of(w, "observed_links") + " observed";
  if (kind == "link_capacity") {
    return "a simulated network filled the link store (" + count_of(w, "links") +
           " links, the "
           "capacity " +
           count_of(w, "capacity") + ", against " + count_of(w, "observed_links") +
           " observed, after " + count_of(w, "toggles") + " proposed toggles)";
  }
  if (kind == "pile_near_empty") {
    return figure("%.0f", 100.0 * w.number("share_near_empty")) + "% of the " +
           count_of(w, "networks") +
           " networks drawn lie nearer the empty network than the observed one: " + spread;
  }
  if (kind == "pile_near_full") {
    return figure("%.0f", 100.0 * w.number("share_near_full")) + "% of the " +
           count_of(w, "networks") + " networks drawn lie nearer the complete network (" +
           count_of(w, "dyads") + " links) than the observed one: " + spread;
  }
  if (kind == "two_modes") {
    return "the " + count_of(w, "networks") + " networks drawn split into two modes, " +
           figure("%.0f", 100.0 * w.number("lower_mode_share")) + "% about " +
           figure("%.0f", w.number("lower_mode_links")) + " links and the rest about " +
           figure("%.0f", w.number("upper_mode_links")) + " (" + count_of(w, "observed_links") +
           " observed)";
  }
  return "the " + count_of(w, "networks") + " networks drawn have " + spread;
}

// What researchers do about a degenerate model, without recommending what it has already.
std::string degeneracy_advice(const Warning& w) {
  const std::string triads = w.text("triad_terms"), weighted = w.text("gw_terms");
  std::string text;
  if (!triads.empty()) {
    text += " The model counts triads raw (" + triads +
            "). What researchers do: replace raw counts of triads and stars by geometrically "
            "weighted terms (gwesp(0.5, fixed=TRUE) for transitivity, gwidegree and gwodegree "
            "for stars).";
  }
  if (!weighted.empty()) {
    text += " What researchers do with a degenerate gw model (" + weighted +
            "): take a smaller decay, which weighs further shared partners or degrees less, or "
            "add terms (attributes, reciprocity) that explain the ties the gw terms take up.";
  }
  return text;
}

// "1 node has" or "3 nodes have".
std::string nodes_have(std::int64_t count) {
  return std::to_string(count) + (count == 1 ? " node has" : " nodes have");
}

std::string what_drives(const Warning& w, bool given);

// Networks drawn at fitted or given coefficients that pile up near the empty or complete
// network, or split into two modes.
std::string degenerate_draws(const Warning& w) {
  const bool given = w.text("coefficients") == "given";
  std::string text = given ? "The model at the given coefficients is degenerate here: "
                           : "The fitted model is degenerate: ";
  text += draws_described(w) + ".";
  text += given ? " These coefficients do not describe a network like this one."
                : " Its estimates do not describe a network like this one.";
  return text + what_drives(w, given);
}

// The term that drives the draws away and the triad terms of the model, where the figures name
// them.
std::string what_drives(const Warning& w, bool given) {
  std::string text;
  const std::string driving = w.text("driving_term");
  if (!driving.empty()) {
    char gain[32] = "beyond any number";
    if (std::isfinite(w.number("driving_gain"))) {
      std::snprintf(gain, sizeof gain, "%.6g", w.number("driving_gain"));
    }
    text += " The term that drives the networks away is " + driving +
            ": its coefficients times the change of its statistics from the observed network to "
            "the networks drawn (their mean; " +
            std::string(gain) + ") are the largest part of the log-probability they gain.";
  }
  const std::string triads = w.text("triad_terms");
  if (!triads.empty()) {
    text += given ? " Models with triad terms (" + triads + ") are often degenerate."
                  : " Such pseudo-likelihood estimates are common for triad models (" + triads +
                        "). Try a model with fewer triad terms.";
  }
  return text;
}

std::string draws_far(const Warning& w) {
  const bool given = w.text("coefficients") == "given";
  return "The networks drawn lie away from the observed one: " + draws_described(w) + ". " +
         (given ? "These coefficients describe other networks than this one."
                : "The fitted model does not reproduce the observed network's link count.") +
         (w.text("driving_term").empty() ? std::string() : what_drives(w, given));
}

std::string capacity_reached(const Warning& w) {
  return "Networks cannot be simulated from this model within the capacity of " +
         count_of(w, "capacity") + " links: after " + count_of(w, "toggles") +
         " proposed toggles a simulated network had " + count_of(w, "links") + " links against " +
         count_of(w, "observed_links") + " observed. No networks were drawn.";
}

// A chain started at the empty or a denser network that stayed near the empty or complete one.
std::string probe_described(const Warning& w) {
  const bool empty = w.text("probe_start") == "empty";
  std::string chain = empty ? "a chain started at the empty network"
                            : "a chain started at a denser network (" +
                                  count_of(w, "probe_start_links") + " links)";
  if (w.count("probe_filled") != 0) {
    return "networks drawn from the observed network stay near it (" + draws_described(w) +
           "), but " + chain + " ran on until it filled the link store (" +
           count_of(w, "probe_most_links") +
           " links): the model has a second mode near the "
           "complete network";
  }
  return "networks drawn from the observed network stay near it (" + draws_described(w) +
         "), but " + chain + " stayed near the " + (empty ? "empty" : "complete") + " network (" +
         figure("%.1f", w.number("probe_mean_links")) + " links on average, " +
         count_of(w, "probe_least_links") + " to " + count_of(w, "probe_most_links") +
         ", in the second half of its " + count_of(w, "probe_toggles") +
         " proposed toggles): the model has a second mode there";
}

std::string mcmle_degenerate(const Warning& w) {
  const std::string seen = !w.text("probe_start").empty() && w.text("kind").empty()
                               ? probe_described(w)
                               : draws_described(w);
  return "Maximum likelihood by MCMC stopped after " + count_of(w, "iterations") +
         " iterations: the model is degenerate. At the best estimate found (iteration " +
         count_of(w, "best_iteration") + ", largest |t| " +
         figure("%.3f", w.number("best_max_abs_t")) + "), " + seen +
         ". No estimate describes this network; the estimates shown are that best estimate's." +
         degeneracy_advice(w);
}

std::string mcmle_not_converged(const Warning& w) {
  const std::string reason = w.text("reason");
  std::string why = reason == "iteration_limit"
                        ? "within " + count_of(w, "iterations") + " iterations"
                    : reason == "link_capacity"
                        ? "after " + count_of(w, "iterations") +
                              " iterations: a chain filled the link store after every halving "
                              "of a step"
                    : reason == "degenerate_draws"
                        ? "after " + count_of(w, "iterations") +
                              " iterations: the networks drawn piled up or split into two modes "
                              "in seven of the last ten samples"
                        : "after " + count_of(w, "iterations") +
                              " iterations: the steps made no progress (a step of length 0 "
                              "three times, or below 0.05 of the way 20 times in a row)";
  return "Maximum likelihood by MCMC did NOT converge " + why +
         ". At the best estimate found (iteration " + count_of(w, "best_iteration") +
         ", largest |t| " + figure("%.3f", w.number("best_max_abs_t")) + "), " +
         draws_described(w) +
         ", neither piling up near the empty or complete network nor splitting into two modes: "
         "no sign of degeneracy. The estimates shown are that best estimate's, without standard "
         "errors; give {0} for more, a larger {1}, or a start nearer the answer ({2}).";
}

std::string errors_not_simulated(const Warning& w) {
  const std::string head = "The " + w.text("method") + " errors were not computed: ";
  const std::string tail = "; the errors shown are the naive ones.";
  if (w.text("reason") == "no_estimate") {
    return head + "the fit gave no estimate to simulate from" + tail;
  }
  if (w.text("reason") == "degenerate") {
    return head + "the networks drawn turned degenerate" + tail;
  }
  return head + "only " + count_of(w, "used") + " of " + count_of(w, "replicates") +
         " replicates could be used" + tail;
}

std::string autocorrelated(const Warning& w) {
  const bool errors = w.text("use") == "errors";
  return "Consecutive simulated networks are strongly correlated (lag-1 autocorrelation " +
         w.text("statistics") + "): " +
         (errors ? "the errors rest on fewer independent draws than networks."
                 : "the sample holds fewer independent draws than networks.") +
         " A longer {0} gives more.";
}

// Rows i,j and j,i of an undirected network's file with different values: which one counts.
std::string reverse_rows_differ(const Warning& w) {
  const auto pairs = w.count("pairs");
  const std::string first = w.text("first"), second = w.text("second");
  std::string text = std::to_string(pairs) + (pairs == 1 ? " pair of " : " pairs of ") +
                     w.text("file") + (pairs == 1 ? " is" : " are") +
                     " given both ways with different values (" + first + "," + second + " is " +
                     w.text("value") + ", " + second + "," + first + " is " +
                     w.text("reverse_value") + (pairs == 1 ? ")" : ", for one)") +
                     ": on an undirected network the two rows are one pair";
  if (w.text("of") == "covariate") {
    return text + ", whose value is that of the row with the lower node number first (" + first +
           "," + second + "), as ergm reads the upper triangle of a covariate matrix.";
  }
  return text + ", an edge when either row gives a link (a value other than 0).";
}

// A file whose links look like the edges of an undirected network.
std::string looks_undirected(const Warning& w) {
  const std::string reason = w.text("reason");
  std::string text;
  if (reason == "edges_section") {
    text = w.text("file") +
           " gives undirected edges (*Edges): each is read as two links, one each way, and the "
           "network is fitted as directed.";
  } else if (reason == "none_reciprocated") {
    text = "Not one of the " + count_of(w, "links") + " links of " + w.text("file") +
           " has its reverse: a directed network without a reciprocated link is rare in social "
           "data, but an undirected one written with each edge once (as networkx writes it) "
           "reads so. It is fitted as directed, each edge one link one way.";
  } else {
    text = "Every link of " + w.text("file") + " has its reverse (" + count_of(w, "links") +
           " links): the network looks undirected; it is fitted as directed, with each edge as "
           "two links.";
  }
  return text + " Give {0} to fit it as an undirected network.";
}

// The words of a code: a text with "{k}" (or "{k=}", joined to a value) where it names the
// setting of key settings[k], which each front end names its own way.
struct Wording {
  std::string_view code;
  std::string (*words)(const Warning&);
  std::array<std::string_view, 3> settings{};
};

constexpr Wording wordings[] = {
    {"statistics_linearly_dependent",
     [](const Warning&) -> std::string {
       return "The statistics of the model are linearly dependent over the dyads: no "
              "estimate. Leave out a parameter that the others determine.";
     }},
    {"newton_inversion_failed",
     [](const Warning&) -> std::string {
       return "A Newton pass could not invert its weighted cross-product matrix: no "
              "estimate.";
     }},
    {"pass_limit",
     [](const Warning& w) -> std::string {
       return "The estimates had not converged after the last of " + count_of(w, "passes") +
              " Newton passes: the results are partial.";
     }},
    {"estimates_unbounded",
     [](const Warning& w) -> std::string {
       return "After " + count_of(w, "passes") +
              " Newton passes the pseudo-likelihood still rose where the fitted probabilities of "
              "some dyads had reached exactly 0 or 1: the estimates grow without end, and those "
              "shown are where the passes stopped.";
     }},
    {"fitted_probabilities_0_or_1",
     [](const Warning& w) -> std::string {
       return count_of(w, "dyads") +
              " fitted probabilities came out as exactly 0 or 1 in the Newton and final "
              "passes: some estimate is very large, and the pseudo-likelihood estimate may "
              "not exist.";
     }},
    {"final_inversion_failed",
     [](const Warning&) -> std::string {
       return "The weighted cross-product matrix at the estimates could not be inverted: no "
              "standard errors.";
     }},
    {"estimate_does_not_exist",
     [](const Warning& w) -> std::string {
       return "The pseudo-likelihood estimate does not exist: the statistics separate the "
              "dyads with a link from those without (" +
              count_of(w, "separated_dyads") +
              " dyads lie strictly on their side). Along the direction " + w.text("direction") +
              " the pseudo-likelihood rises without end, so the estimates shown are where the "
              "fit stopped, not estimates. Leave out or change the terms named.";
     }},
    {"degenerate_draws", degenerate_draws},
    {"draws_far_from_observed", draws_far},
    {"link_capacity_reached", capacity_reached},
    {"errors_not_simulated", errors_not_simulated},
    {"constraint_bounds_ignored",
     [](const Warning& w) -> std::string {
       return "The pseudo-likelihood takes each dyad alone and does not see the degree bounds, "
              "fixed degrees or fixed link count of {0=}" +
              w.text("constraints") +
              ": its estimate ignores the dependence they bring. {1=}mcmle fits within them "
              "(starting from this estimate).";
     },
     {"constraints", "method"}},
    {"naive_errors_suspect",
     [](const Warning& w) -> std::string {
       return "The standard errors are the naive ones of the pseudo-likelihood, which takes the "
              "dyads for independent observations; with dependence terms (" +
              w.text("terms") +
              ") they are too small, and their z and p-values suspect. {0=}godambe or "
              "{0=}bootstrap "
              "gives errors from simulated networks, {1=}mcmle maximum likelihood with its own.";
     },
     {"se", "method"}},
    {"dyad_sample_used",
     [](const Warning& w) -> std::string {
       return "The network has " + count_of(w, "dyads") +
              " dyads, too many to sweep for this model: the pseudo-likelihood was fitted on "
              "every linked dyad and " +
              count_of(w, "controls") + " of the " + count_of(w, "empty_dyads") +
              " empty dyads drawn at random (with replacement; {0}), each weighted by the "
              "empty dyads it stands for. The standard errors include the sampling error "
              "(Sampling %); {1} sets the number drawn.";
     },
     {"seed", "dyad_sample"}},
    {"autocorrelated_sample", autocorrelated, {"interval"}},
    {"autocorrelation_not_estimated",
     [](const Warning& w) -> std::string {
       return "The lag-1 autocorrelations are shown as n/a: the " + count_of(w, "networks") +
              " networks of " + count_of(w, "chains") + " chains give " + count_of(w, "pairs") +
              (w.count("pairs") == 1 ? " consecutive pair" : " consecutive pairs") +
              " within a chain, fewer than the " + count_of(w, "needed") +
              " an estimate needs. More {0} (or fewer {1}) give one.";
     },
     {"networks", "chains"}},
    {"nodes_without_attributes",
     [](const Warning& w) -> std::string {
       return count_of(w, "nodes") + " of the " + count_of(w, "of") + " nodes have " +
              (w.count("record") != 0 ? "no attribute value (0) in " : "no row in ") +
              w.text("file") + ": they " +
              (w.count("record") != 0 ? "" : "have no attribute value and ") +
              "belong to no category and no block.";
     }},
    {"attribute_rows_not_in_network",
     [](const Warning& w) -> std::string {
       return count_of(w, "rows") + " rows of " + w.text("file") +
              " name nodes that are not in the network; they are left out.";
     }},
    {"nodes_without_block",
     [](const Warning& w) -> std::string {
       return unblocked_nodes_sentence(static_cast<int>(w.count("nodes")),
                                       static_cast<int>(w.count("blocks")));
     }},
    {"isolates_from_attributes",
     [](const Warning& w) -> std::string {
       return nodes_have(w.count("nodes")) + " a row in " + w.text("file") +
              " and no link in the network: " +
              (w.count("nodes") == 1 ? "it is in the network as an isolated node."
                                     : "they are in the network as isolated nodes.");
     }},
    {"isolates_declared",
     [](const Warning& w) -> std::string {
       return count_of(w, "isolates") + " of the " + count_of(w, "nodes") + " nodes of {0=}" +
              count_of(w, "nodes") + " have no link: they are in the network as isolated nodes.";
     },
     {"nodes"}},
    {"weights_read_as_ties",
     [](const Warning& w) -> std::string {
       const bool one = w.count("links") == 1;
       return count_of(w, "links") + (one ? " link of " : " links of ") + w.text("file") +
              (one ? " has" : " have") + " a value other than 0 and 1 (" + w.text("example") +
              (one ? "" : ", for one") +
              "): every non-zero value is read as a tie, its size is not used.";
     }},
    {"looks_undirected", looks_undirected, {"undirected"}},
    {"reverse_rows_differ", reverse_rows_differ},
    {"repeated_rows_merged",
     [](const Warning& w) -> std::string {
       const bool one = w.count("rows") == 1;
       return count_of(w, "rows") + (one ? " row of " : " rows of ") + w.text("file") +
              (one ? " repeats" : " repeat") + " a link given before (" + w.text("first") + "," +
              w.text("second") + " on line " + count_of(w, "line") + ", first on line " +
              count_of(w, "first_line") + (one ? ")" : ", for one)") +
              ": a pair is one link however often it is given.";
     }},
    {"zero_value_rows",
     [](const Warning& w) -> std::string {
       const bool one = w.count("rows") == 1;
       return count_of(w, "rows") + (one ? " row of " : " rows of ") + w.text("file") +
              (one ? " has" : " have") + " the value 0: " + (one ? "it is" : "they are") +
              " no link (a 0 in a file of links is none).";
     }},
    {"looks_two_mode",
     [](const Warning& w) -> std::string {
       if (w.text("reason") == "two_sets") {
         const std::int64_t a = w.count("first"), b = w.count("second");
         return "The nodes of " + w.text("file") +
                " split into two sets with no edge inside "
                "either (" +
                count_of(w, "first") + " and " + count_of(w, "second") + " nodes, " +
                count_of(w, "links") +
                " edges): it looks like a two-mode network (people and the events they attend, "
                "say), which is fitted here as a network of one kind of node, whose dyads "
                "include the " +
                std::to_string(a * (a - 1) / 2 + b * (b - 1) / 2) +
                " pairs within the sets. To fit it as a two-mode network, number one set's nodes "
                "1..N1 and the other's after them, and give --bipartite N1.";
       }
       return "No node of " + w.text("file") + " both sends and receives (" +
              count_of(w, "senders") + " senders, " + count_of(w, "receivers") + " receivers, " +
              count_of(w, "links") +
              " links): it looks like a two-mode network, which is fitted here as a directed "
              "network of one kind of node. To fit it as a two-mode network, number one set's "
              "nodes 1..N1 and the other's after them, and give --bipartite N1.";
     }},
    {"header_read_as_link",
     [](const Warning& w) -> std::string {
       return "The first line of " + w.text("file") + " (" + w.text("sender") + ", " +
              w.text("receiver") +
              ") was read as a link, but neither label occurs anywhere else in the file: if it "
              "is a header, give {0=}yes.";
     },
     {"header"}},
    {"header_guessed",
     [](const Warning& w) -> std::string {
       const std::string reason = w.text("reason");
       return "The first line of " + w.text("file") + " (" + w.text("sender") + ", " +
              w.text("receiver") + ") is taken as a header: " +
              (reason == "value_not_a_number" ? "its value column holds no number"
               : reason == "labels_over_numbers"
                   ? "its labels are no numbers while those of the next line are"
                   : "neither label occurs anywhere else in the file") +
              ". If it is a link, give {0=}no.";
     },
     {"header"}},
    {"index_column_skipped",
     [](const Warning& w) -> std::string {
       return "The first column of " + w.text("file") +
              " has no name and holds 0, 1, 2, ...: it is the index that pandas writes "
              "(to_csv without index=False), and is not read.";
     }},
    {"mcmle_start_without_mple",
     [](const Warning&) -> std::string {
       return "The pseudo-likelihood gave no estimate to start from: maximum likelihood by MCMC "
              "starts from the estimate of the model's dyad-independent terms, the others 0.";
     }},
    {"mcmle_start_moved",
     [](const Warning& w) -> std::string {
       const std::string reason = w.text("reason");
       const std::string what =
           reason == "second_mode"
               ? "from it the fit came to where chains started from the empty network stay near it"
           : reason == "not_converged" ? "from it the fit did not converge"
           : reason == "no_step"
               ? "the networks drawn at the first start gave no step towards the observed "
                 "statistics (some statistic never varied there)"
           : reason == "link_capacity"
               ? "at the first start a simulated network filled the link store (" +
                     count_of(w, "links") + " links against " + count_of(w, "observed_links") +
                     " observed)"
               : "at the first start " + draws_described(w);
       return "The first start was a bad one: " + what + ". Maximum likelihood by MCMC started " +
              start_point(w) +
              ", and stepped from "
              "there.";
     }},
    {"mcmle_dyad_independent_exact",
     [](const Warning&) -> std::string {
       return "The model is dyad-independent: its pseudo-likelihood is its likelihood, so the "
              "maximum-likelihood estimate and its errors are the pseudo-likelihood's, exact, "
              "with no networks drawn.";
     }},
    {"geodesics_sampled",
     [](const Warning& w) -> std::string {
       return "The geodesic distances are estimated from " + count_of(w, "sources") +
              " source nodes drawn from the " + count_of(w, "nodes") +
              " (counting from every node is done up to " + count_of(w, "exact_nodes") +
              " nodes): each share is the mean over the sources, the same for the observed "
              "and the simulated networks.";
     }},
    {"ee_check_failed",
     [](const Warning& w) -> std::string {
       return "The " + count_of(w, "networks") +
              " networks drawn at the equilibrium-expectation estimate do not reproduce the "
              "observed statistics (the t-ratios are in the results): the fit has not converged. "
              "On a network of more than 2000 nodes maximum likelihood by MCMC does not go on "
              "from it by itself; {0=}mcmle does.";
     },
     {"method"}},
    {"ee_link_capacity_reached",
     [](const Warning&) -> std::string {
       return "Equilibrium expectation stopped: a chain's network passed the link capacity. "
              "Maximum likelihood by MCMC started from the pseudo-likelihood estimate instead.";
     }},
    {"errors_less_precise",
     [](const Warning& w) -> std::string {
       const std::string reached = w.text("reached");
       return "The standard errors rest on " + count_of(w, "effective") +
              " effective networks, which hold them within " +
              (reached.empty() ? "no known share" : "about " + reached + "%") +
              " of their long-run values, not the " + w.text("asked") +
              "% asked: the sample stopped growing first. A larger {0} gives more; {1} asks "
              "another share.";
     },
     {"sample_size", "error_precision"}},
    {"mcmle_not_converged", mcmle_not_converged, {"max_iterations", "sample_size", "init"}},
    {"mcmle_degenerate", mcmle_degenerate},
    {"curved_cutoff_passed",
     [](const Warning& w) -> std::string {
       return count_of(w, "beyond") +
              " links, pairs or nodes of the observed network count more "
              "than " +
              count_of(w, "cutoff") + " (the cutoff of " + w.text("term") +
              "): its statistics leave them out, as ergm's do. Give a larger cutoff= to count "
              "them.";
     }},
    {"mcmle_decay_unsettled",
     [](const Warning& w) -> std::string {
       return "The decay of " + w.text("term") + " stood at " + w.text("decay") +
              " when the fit stopped: a decay estimated with its weight may have no finite "
              "estimate on a network (the likelihood keeps rising towards the raw count of "
              "shared partners or degrees). Fix it (fixed=TRUE) at a value of your choice, or "
              "compare fits at a few fixed decays.";
     }},
    {"log_likelihood_not_bridged",
     [](const Warning& w) -> std::string {
       if (w.text("reason") == "offsets") {
         return "The log-likelihood was not computed: its bridge starts from the "
                "dyad-independent terms' likelihood and walks each dyad-dependent offset from 0 "
                "to its value, which it cannot for one at -Inf or Inf, so AIC and BIC are not "
                "given.";
       }
       if (w.text("reason") == "degree_bounds") {
         return "The log-likelihood was not computed: its bridge starts from the "
                "dyad-independent terms' likelihood, which the degree bounds, fixed degrees or "
                "fixed link count of {0} leave without a closed form, so AIC and BIC are not "
                "given.";
       }
       return "The log-likelihood was not computed: the networks drawn along the bridge from "
              "the dyad-independent reference ran away, so AIC and BIC are not given.";
     },
     {"constraints"}},
    {"block_by_unused",
     [](const Warning& w) -> std::string {
       return "{0=}" + w.text("attribute") +
              ": the model has no block term (TERM@B), so the blocking changes nothing.";
     },
     {"block_by"}},
    {"self_links_left_out",
     [](const Warning& w) -> std::string {
       const auto links = w.count("links");
       return std::to_string(links) +
              (links == 1 ? " self-link (i->i) of the network is"
                          : " self-links (i->i) of the network are") +
              (w.text("reason") == "undirected"
                   ? " left out: an undirected network has no self-links."
                   : " left out: the self-pairs (i, i) are no dyads without {0}.");
     },
     {"diagonal"}},
    {"m2star_is_mixed_two_star",
     [](const Warning&) -> std::string {
       return "m2star is the mixed 2-star k->i->j, as in ergm's formulas: the count of "
              "twopath. The 2-star of reciprocated pairs k<>i<>j (configuration type 10) is "
              "mutual2star.";
     }},
};

}  // namespace

namespace {

// The text of a warning with its places, and the settings they name.
std::pair<std::string, std::vector<std::string>> placed_text(const Warning& warning) {
  for (const Wording& wording : wordings) {
    if (wording.code != warning.code) continue;
    std::vector<std::string> settings;
    for (const std::string_view key : wording.settings) {
      if (!key.empty()) settings.emplace_back(key);
    }
    return {wording.words(warning), settings};
  }
  return {warning.code, {}};
}

}  // namespace

std::string warning_text(const Warning& warning) {
  const auto [text, settings] = placed_text(warning);
  return settings.empty() ? text : worded(text, settings, command_line_words());
}

std::vector<tarnwick::WarningRecord> worded(const std::vector<Warning>& warnings,
                                            const std::string& about) {
  std::vector<tarnwick::WarningRecord> result;
  for (const Warning& w : warnings) {
    auto [text, settings] = placed_text(w);
    tarnwick::WarningRecord record{w.code, text, about, {}, {}, {}};
    if (!settings.empty()) {
      record.message = worded(text, settings, command_line_words());
      record.settings = std::move(settings);
      record.text = std::move(text);
    }
    for (const WarningFigure& f : w.figures) {
      std::visit([&](const auto& value) { record.figures.push_back({f.name, value}); }, f.value);
    }
    result.push_back(std::move(record));
  }
  return result;
}

}  // namespace tarn
