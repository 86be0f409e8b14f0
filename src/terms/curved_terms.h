#pragma once
// The gw terms whose decay is estimated (ergm's curved exponential family terms, without
// fixed=TRUE): two coefficients, the weight theta and the decay a, and one statistic per count
// k = 1..K (K the cutoff, at most n - 2 shared partners or n - 1 degree): the links with k shared
// partners (esp), the pairs with k (dsp), the pairs without a link with k (nsp), the nodes of
// degree k. Their canonical parameters are
//   eta_k = theta e^a (1 - r^k),   r = 1 - e^-a,
// so that eta . counts is theta times the gw statistic of decay a, up to the counts above K,
// which the statistics leave out as ergm does.

#include <functional>
#include <string>
#include <vector>

#include "terms/shared_partners.h"
#include "terms/term.h"
#include "terms/term_arguments.h"

namespace tarn {

struct CurvedTermParts {
  std::string text;                          // as written, canonical
  std::string weight_name;                   // "gwesp.OTP"; the decay's is weight_name + ".decay"
  std::vector<std::string> statistic_names;  // "esp.OTP#1" ... (K of them)
  double start_decay = 0.0;                  // the decay as written
  std::function<TermPointer(double decay)> fixed;  // the linear gw term of a decay
};

// Shared-partner counts: of links (esp), of pairs (dsp), of pairs without a link (nsp).
TermPointer make_curved_partner_counts(CurvedTermParts parts, PartnerType type, PartnerSum sum);

enum class DegreeSide { in, out, undirected };
TermPointer make_curved_degree_counts(CurvedTermParts parts, DegreeSide side);

// Counts of another linear term, whose K statistics are the counts k = 1..K (a two-mode term's
// degrees or shared partners); `beyond` gives how many the statistics leave out above K.
TermPointer make_curved_from_counts(CurvedTermParts parts, TermPointer counts,
                                    std::function<int(const TermGraph&)> beyond);

// The decay: fixed (the term is linear), or estimated from this start (the term is curved, and
// only maximum likelihood fits it; without a decay it starts at 0.5).
struct Decay {
  double value = 0.5;
  bool fixed = false;
};
Decay decay_of(const TermArguments& arguments);

// The curved statistics' cutoff: at most `most` (n - 2 partners, n - 1 degree), 30 unless given.
int cutoff_of(const TermArguments& arguments, int most);

// eta_k = theta e^a (1 - r^k) for k = 1..eta.size(), and their derivatives by theta and by a.
void curved_weights(double theta, double decay, std::vector<double>& eta);
void curved_weight_gradient(double theta, double decay, std::vector<double>& by_theta,
                            std::vector<double>& by_decay);

}  // namespace tarn
