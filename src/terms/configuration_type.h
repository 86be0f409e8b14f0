#pragma once
// The sixteen configuration types of the parameter menu. Each has a number (its menu number and
// its statistics column), a short name for the command line, and the label the menu shows.

#include <optional>
#include <string_view>

namespace tarn {

enum class ConfigurationType : int {
  edges = 1,                  // i->j
  mutual = 2,                 // i<>j
  out_two_star = 3,           // k<-i->j
  in_two_star = 4,            // k->i<-j
  two_path = 5,               // k->i->j
  transitive_triad = 6,       // i->j->k<-i
  cyclic_triad = 7,           // i->j->k->i
  mutual_out_star = 8,        // k<>i->j
  mutual_in_star = 9,         // k<>i<-j
  mutual_two_star = 10,       // k<>i<>j
  mutual_pair_sends = 11,     // i<>j->k<-i
  mutual_pair_receives = 12,  // i<>j<-k->i
  mutual_pair_path = 13,      // i<>j<-k<-i
  two_mutual_triad = 14,      // i<>j<>k<-i
  three_mutual_triad = 15,    // i<>j<>k<>i
  covariate = 16,             // the comparative network's value of the dyad
};

inline constexpr int type_count = 16;
// Type 16 has no block version.
inline constexpr int last_block_type = 15;

inline int number(ConfigurationType type) {
  return static_cast<int>(type);
}
// The type of menu number 1..16, or nothing.
std::optional<ConfigurationType> type_of_number(int number);

// edges, mutual, out2star, in2star, twopath, ttriple, ctriple, mout2star, min2star, mutual2star,
// mtriple_out, mtriple_in, mtriple_path, m2triple, m3triple, covariate.
std::string_view short_name(ConfigurationType type);
// The type of a short name (exactly as listed above), or nothing.
std::optional<ConfigurationType> type_of_name(std::string_view name);
// The menu's label: "i->j", "k<>i<-j", ...; "comparative network" for type 16.
std::string_view menu_label(ConfigurationType type);

}  // namespace tarn
