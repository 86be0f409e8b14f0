// Formulas as statnet users write them and lists as scripts do, the names of the statistics, and
// the messages for terms and arguments that cannot be.
#include "terms/formula.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "network/fatal_error.h"
#include "terms/term_table.h"

namespace tarn {
namespace {

std::string value_text(const ArgumentValue& value) {
  std::string line;
  switch (value.kind) {
    case ArgumentValue::Kind::numbers:
      for (double v : value.numbers) line += "#" + r_number_text(v);
      break;
    case ArgumentValue::Kind::text:
      line += "'" + value.text + "'";
      break;
    case ArgumentValue::Kind::word:
      line += value.text;
      break;
    case ArgumentValue::Kind::logical:
      line += value.logical ? "TRUE" : "FALSE";
      break;
    case ArgumentValue::Kind::formula:
      line += "[" + value.lhs + "~" + value.rhs + "]";
      break;
    case ArgumentValue::Kind::list:
      line += "{";
      for (std::size_t k = 0; k < value.items.size(); ++k) {
        line += (k ? ";" : "") + value_text(value.items[k]);
      }
      line += "}";
      break;
  }
  return line;
}

// A call as "name(argument,...)@block", an interaction as "(a : b)".
std::string call_text(const TermCall& call) {
  if (!call.operands.empty()) {
    return "(" + call_text(call.operands[0]) + " " + call.name + " " + call_text(call.operands[1]) +
           ")";
  }
  std::string line = call.name;
  if (call.parenthesised) {
    line += "(";
    for (std::size_t k = 0; k < call.arguments.size(); ++k) {
      const TermArgument& a = call.arguments[k];
      line += (k ? "|" : "") + (a.name.empty() ? "" : a.name + "=") + value_text(a.value);
    }
    line += ")";
  }
  if (call.block) line += "@" + *call.block;
  return line;
}

// The calls of a formula as call_text writes them.
std::vector<std::string> calls_of(const std::string& formula) {
  std::vector<std::string> lines;
  for (const TermCall& call : parse_formula(formula)) lines.push_back(call_text(call));
  return lines;
}

TEST(Formula, StatnetFormulasAndLists) {
  const struct {
    const char* formula;
    std::vector<std::string> calls;
  } cases[] = {
      {"edges + mutual", {"edges", "mutual"}},
      {"net ~ edges + gwesp(0.5, fixed = TRUE)", {"edges", "gwesp(#0.5|fixed=TRUE)"}},
      {"edges,gwesp(0.5,fixed=T),nodematch('level')",
       {"edges", "gwesp(#0.5|fixed=TRUE)", "nodematch('level')"}},
      {" 1, MUTUAL ,TTriple@2,6@+1 ", {"1", "MUTUAL", "TTriple@2", "6@+1"}},
      {"istar(2:4) + odegree(c(0, 2)) + nodefactor(x, levels=-1)",
       {"istar(#2#3#4)", "odegree(#0#2)", "nodefactor(x|levels=#-1)"}},
      {"gwidegree(log(2), fixed=TRUE) + absdiff(\"a,b\", pow=1e-5)",
       {"gwidegree(#0.693147180559945|fixed=TRUE)", "absdiff('a,b'|pow=#1e-05)"}},
      {"nodemix(dept, levels2=-(1:2))", {"nodemix(dept|levels2=#-1#-2)"}},
      {"triangle()", {"triangle()"}},
      // Formulas, lists and interactions: the operators' and mm's arguments.
      {"F(~edges + nodecov(\"x\"), ~absdiff('w') >= 5)",
       {"F([~edges + nodecov(\"x\")]|[~absdiff('w') >= 5])"}},
      {"Sum(list(~edges, \"sum\" ~ mutual + asymmetric), label=c(\"a\", 'b'))",
       {"Sum({[~edges];[\"sum\"~mutual + asymmetric]}|label={'a';'b'})"}},
      {"mm(group ~ ., levels2=NULL) + mm(.~x)", {"mm([group~.]|levels2=NULL)", "mm([.~x])"}},
      {"edges + nodecov(x):absdiff(y) + a*b:c + ttriple@*",
       {"edges", "(nodecov(x) : absdiff(y))", "(a * (b : c))", "ttriple@*"}},
      {"a*b*c", {"((a * b) * c)"}},
      {"degree(c)", {"degree(c)"}},
  };
  for (const auto& c : cases) EXPECT_EQ(calls_of(c.formula), c.calls) << c.formula;
}

TEST(Formula, RNumberText) {
  const std::pair<double, const char*> cases[] = {
      {0.5, "0.5"},       {0.0, "0"},       {2.0, "2"},
      {0.1, "0.1"},       {1e-5, "1e-05"},  {100000, "1e+05"},
      {123456, "123456"}, {-0.25, "-0.25"}, {1.0 / 3, "0.333333333333333"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(r_number_text(value), text) << value;
}

TEST(Formula, UnreadableFormulasSayWhere) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "the model has no terms"},
      {"edges + + mutual", "an empty term"},
      {"gwesp(0.5, fixed=TRUE", "'(' is not closed"},
      {"gwesp 0.5)", "')' without its '('"},
      {"nodematch(\"level)", "quote is not closed"},
      {"gwesp(0.5 0.2)", "cannot read the argument \"0.5 0.2\""},
      {"edges mutual", "cannot read the term \"edges mutual\""},
  };
  for (const auto& [formula, says] : cases) {
    try {
      parse_formula(formula);
      ADD_FAILURE() << formula << ": accepted";
    } catch (const ModelError& e) {
      EXPECT_NE(std::string(e.what()).find(says), std::string::npos) << e.what();
    }
  }
}

// Terms of a formula on a directed network of 4 nodes with the attribute "level" (levels 1..3)
// and the text attributes "dept" (node 4 without a value) and "name".
TermPointer term_of(const std::string& formula, bool directed = true,
                    const NodeLabels* labels = nullptr) {
  NodeCovariates attributes;
  attributes.node_count = 4;
  attributes.source = "attr.csv";
  attributes.columns = {{"level", {"3", "1", "2", "2"}},
                        {"dept", {"x", "y", "x", ""}},
                        {"name", {"a", "b", "c", "d"}}};
  TermContext context;
  context.directed = directed;
  context.node_count = 4;
  context.attributes = &attributes;
  context.labels = labels;
  return make_term(parse_formula(formula).front(), context);
}

// ergm's names of the statistics, as its InitErgmTerm functions paste them.
TEST(Formula, NamesOfTheStatistics) {
  const std::pair<const char*, std::vector<std::string>> directed[] = {
      {"gwesp(0.5, fixed=TRUE)", {"gwesp.OTP.fixed.0.5"}},
      {"dgwdsp(1, fixed=TRUE, type=\"ISP\")", {"gwdsp.ISP.fixed.1"}},
      {"gwodegree(0.25, fixed=TRUE)", {"gwodeg.fixed.0.25"}},
      {"istar(2:3)", {"istar2", "istar3"}},
      {"nodematch(level, diff=TRUE)",
       {"nodematch.level.1", "nodematch.level.2", "nodematch.level.3"}},
      {"nodeifactor(\"level\")", {"nodeifactor.level.2", "nodeifactor.level.3"}},
      {"nodeofactor(level, levels=c(3, 1))", {"nodeofactor.level.3", "nodeofactor.level.1"}},
      {"nodemix(level, levels2=c(2, 9))", {"mix.level.2.1", "mix.level.3.3"}},
      {"absdiff(level)", {"absdiff.level"}},
      {"absdiff(level, pow=2)", {"absdiff2.level"}},
      {"nodecov(level)", {"nodecov.level"}},
      {"transitiveties", {"transitiveties"}},
      {"cyclicalties(attr=\"name\")", {"cyclicalties.name"}},
      {"asymmetric(level, diff=TRUE, levels=-1)", {"asymmetric.level.2", "asymmetric.level.3"}},
      {"mutual(same=level)", {"mutual.level"}},
      {"mutual(by=~level, keep=3)", {"mutual.by.level.3"}},
      {"diff(level)", {"diff.t-h.level"}},
      {"diff(level, pow=2, dir=\"H-T\")", {"diff2.h-t.level"}},
      {"diff(level, sign.action=\"abs\")", {"diff.abs.level"}},
      {"diff(level, sign.action=\"posonly\", pow=0)", {"diff0.posonly.t-h.level"}},
      {"smalldiff(level, 1.5)", {"smalldiff.level1.5"}},
      {"absdiffcat(level)", {"absdiff.level.1", "absdiff.level.2"}},
      {"sender", {"sender2", "sender3", "sender4"}},
      {"receiver(nodes=c(1, 3))", {"receiver1", "receiver3"}},
      {"density", {"density"}},
      {"meandeg", {"meandeg"}},
      {"mm(level, levels2=2:3)", {"mm[level=2,level=1]", "mm[level=3,level=1]"}},
      {"mm(level~., levels2=TRUE)", {"mm[level=1,.]", "mm[level=2,.]", "mm[level=3,.]"}},
      {"mm(.~name, levels=c(\"b\", \"d\"))", {"mm[.,name=d]"}},
      {"idegree(0, by=level)", {"ideg0.level1", "ideg0.level2", "ideg0.level3"}},
      {"odegrange(1, to=3)", {"odeg1to3"}},
      {"idegrange(2)", {"ideg2+"}},
      {"idegree1.5", {"idegree1.5"}},
      {"idegreepopularity", {"idegreepopularity"}},
      {"istar(2, level)", {"istar2.level"}},
      {"gwidegree(0.5, TRUE, level, levels=2)", {"gwideg0.5.level2"}},
      {"F(~edges + nodecov(level), ~!nodematch(\"level\"))",
       {"F(!nodematch(\"level\"))~edges", "F(!nodematch(\"level\"))~nodecov.level"}},
      {"F(~edges, ~absdiff('level') >= 2)", {"F(absdiff(\"level\")>=2)~edges"}},
      {"Sum(~edges + mutual, \"x\")", {"Sum~x1", "Sum~x2"}},
      {"Sum(\"sum\"~edges + mutual, label=\"x\")", {"Sum~x"}},
      {"nodematch(level):nodefactor(level)",
       {"nodematch.level:nodefactor.level.2", "nodematch.level:nodefactor.level.3"}},
      {"absdiff(level)*nodecov(level)",
       {"absdiff.level", "nodecov.level", "absdiff.level:nodecov.level"}},
      {"esp(1)", {"esp.OTP1"}},
      {"ddsp(c(2, 1), type=\"OSP\")", {"dsp.OSP2", "dsp.OSP1"}},
      {"dgwnsp(0.5, fixed=TRUE, type=\"ISP\")", {"gwnsp.ISP.fixed.0.5"}},
      {"gwnsp(0.5, cutoff=2)", {"nsp.OTP#1", "nsp.OTP#2"}},
      {"triadcensus(levels=c(2, 16))", {"triadcensus.012", "triadcensus.300"}},
      {"cycle(c(3, 4))", {"cycle3", "cycle4"}},
      {"transitive", {"transitive"}},
      {"ttriple(\"level\", diff=TRUE, levels=2)", {"ttriple.level.2"}},
  };
  for (const auto& [formula, names] : directed) {
    EXPECT_EQ(term_of(formula)->statistic_names(), names) << formula;
  }
  const std::pair<const char*, std::vector<std::string>> undirected[] = {
      {"gwesp(0.5, fixed=TRUE)", {"gwesp.fixed.0.5"}},
      {"gwdegree(0, fixed=TRUE)", {"gwdeg.fixed.0"}},
      {"degree(1, by=level, homophily=TRUE)", {"deg1.homophily.level"}},
      {"degrange(0:1, by=level, levels=3)", {"deg0+.level3", "deg1+.level3"}},
      {"concurrent(by=level)", {"concurrent.level1", "concurrent.level2", "concurrent.level3"}},
      {"concurrentties", {"concurrentties"}},
      {"kstar(2, ~level)", {"kstar2.level"}},
      {"sociality(level)", {"sociality2.level", "sociality3.level", "sociality4.level"}},
      {"altkstar(0.5, fixed=TRUE)", {"altkstar.0.5"}},
      {"isolatededges", {"isolatededges"}},
      {"degree1.5", {"degree1.5"}},
      {"gwdegree(0.25, fixed=TRUE, attr=level)",
       {"gwdeg0.25.level1", "gwdeg0.25.level2", "gwdeg0.25.level3"}},
      {"esp(0:2)", {"esp0", "esp1", "esp2"}},
      {"nsp(2)", {"nsp2"}},
      {"gwnsp(0.5, fixed=TRUE)", {"gwnsp.fixed.0.5"}},
      {"triadcensus", {"triadcensus.1", "triadcensus.2", "triadcensus.3"}},
      {"triangle(level)", {"triangle.level"}},
  };
  for (const auto& [formula, names] : undirected) {
    EXPECT_EQ(term_of(formula, false)->statistic_names(), names) << formula;
  }
}

TEST(Formula, WrongTermsAndArgumentsSayWhy) {
  const struct {
    const char* formula;
    bool directed;
    const char* says;
  } cases[] = {
      {"gwespp(0.5)", true, "unknown term \"gwespp\"; did you mean gwesp"},
      {"nodematch.gender", true, "unknown term \"nodematch.gender\"; did you mean nodematch"},
      {"17", true, "there is no configuration type 17 (1 to 16)"},
      {"gwesp(0.5, cutoff=0)", true, "argument cutoff: give a whole number from 1 to 1000"},
      {"gwodegree(0.5, cutoff=2.5)", true, "argument cutoff: give a whole number"},
      {"gwesp(fixed=TRUE)", true, "argument decay: it is needed"},
      {"gwesp(-1, fixed=TRUE)", true, "argument decay: give a number from 0 to 50"},
      {"dgwesp(0.5, fixed=TRUE, type=\"XTP\")", true, "give \"OTP\", \"ITP\", \"RTP\""},
      {"gwesp(decay=0.5, fixed=TRUE, decay=1)", true, "the argument \"decay\" is given twice"},
      {"gwesp(0.5, fixed=TRUE, alpha=1)", true, "it has no argument \"alpha\""},
      {"istar(0)", true, "give whole numbers of at least 1"},
      {"isolates(2)", true, "it takes no arguments"},
      {"kstar(2)", true,
       "kstar is a term of an undirected network; on this network use istar or ostar"},
      {"mutual", false, "mutual is a term of a directed network; on this network use edges"},
      {"m3triple", false, "m3triple is a term of a directed network; on this network use triangle"},
      {"edges@1", false, "on an undirected network nodematch or nodemix model edges by attribute"},
      {"gwidegree(0.5, fixed=TRUE)", false, "on this network use gwdegree"},
      {"nodematch(age)", true,
       "no attribute \"age\" in attr.csv (its attributes: level, dept, name)"},
      {"nodecov(name)", true, "the value \"a\" of node 1 is not a number"},
      {"nodeifactor(level, levels=5)", true, "give positions 1 to 3"},
      {"transitiveties(level, diff=TRUE)", true,
       "argument diff: diff=TRUE is not offered, as ergm does not offer it for transitiveties"},
      {"cyclicalties(level, levels=1)", true,
       "argument levels: levels are not offered for cyclicalties"},
      {"transitiveties", false,
       "transitiveties is a term of a directed network; on this network use gwesp(0, "
       "fixed=TRUE), the edges in a triangle"},
      {"gwesp(0.5, fixed=TRUE)@2", true, "block parameters (@B) are for the sixteen"},
      {"edgecov(\"x.csv\")", true,
       "dyadic covariates are read from files named on the command line"},
      {"desp(1)", false, "desp is a term of a directed network; on this network use esp"},
      {"dgwnsp(0.5, fixed=TRUE)", false, "on this network use gwnsp"},
      {"esp(1, type=\"OTP\")", false, "an undirected network has one type"},
      {"dsp(1, type=\"XYZ\")", true, "(\"XYZ\" is none)"},
      {"nsp(-1)", true, "argument d: give whole numbers of at least 0"},
      {"esp(1.5)", false, "(\"1.5\" is not)"},
      {"esp()", false, "argument d: it is needed"},
      {"transitive", false,
       "transitive is a term of a directed network; on this network use triangle"},
      {"intransitive", false, "intransitive is a term of a directed network"},
      {"cycle(2)", false, "give whole numbers of at least 3"},
      {"cycle(7)", true, "a cycle of 7 needs that many nodes"},
      {"cycle(3, semi=TRUE)", true, "semicycles are not offered"},
      {"cycle(1)", true, "give whole numbers of at least 2"},
      {"triadcensus(levels=17)", true, "give positions 1 to 16"},
      {"balance(1)", true, "it takes no arguments"},
      {"simmelian", false, "simmelian is a term of a directed network"},
      {"simmelianties", false, "simmelianties is a term of a directed network"},
      {"nearsimmelian", false, "nearsimmelian is a term of a directed network"},
      {"opentriad", true, "opentriad is a term of an undirected network"},
      {"ttriple(diff=TRUE)", true, "argument diff: it goes with attr="},
      {"triangle(levels=1)", false, "argument levels: it goes with attr="},
      {"ctriple(\"nothing\")", true, "no attribute \"nothing\""},
  };
  for (const auto& c : cases) {
    try {
      term_of(c.formula, c.directed);
      ADD_FAILURE() << c.formula << ": accepted";
    } catch (const ModelError& e) {
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
  }
}

// A node without a value of an attribute that a term reads is the data's fault, not the
// formula's: an input error, naming the node as the files name it.
TEST(Formula, AMissingValueIsAnInputErrorThatNamesTheNodeByItsLabel) {
  const NodeLabels names({"Evelyn Jefferson", "Laura Mandeville", "Theresa Anderson", "Brenda"});
  for (const auto& [labels, named] : {std::pair<const NodeLabels*, std::string>{nullptr, "node 4"},
                                      {&names, "\"Brenda\" (node 4)"}}) {
    for (const char* formula : {"nodematch(dept)", "nodefactor(dept)", "nodemix(dept)"}) {
      try {
        term_of(formula, true, labels);
        ADD_FAILURE() << formula << ": accepted";
      } catch (const FatalError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Attribute file \"attr.csv\": " + named +
                      " has no value of \"dept\" (no row, an empty cell or NA); the term \"" +
                      formula + "\" needs a value of every node.");
      }
    }
  }
  try {
    term_of("nodecov(name)", true, &names);
    ADD_FAILURE() << "accepted";
  } catch (const ModelError& e) {
    EXPECT_NE(std::string(e.what()).find("the value \"a\" of \"Evelyn Jefferson\" (node 1) is "
                                         "not a number"),
              std::string::npos)
        << e.what();
  }
}

}  // namespace
}  // namespace tarn
