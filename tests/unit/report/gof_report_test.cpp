#include "report/gof_report.h"

#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "report/gof_figure.h"
#include "report/gof_numbers.h"
#include "simulate/network_features.h"
#include "support/brute_force.h"
#include "support/networks.h"
#include "support/temporary_folder.h"

namespace tarn {
namespace {

// The library's numbers of `summary`, the title "Goodness of fit: <path>, <terms>".
tarnwick::GofTables tables_of(const GofSummary& summary, const std::string& path = "net.csv",
                              const std::vector<std::string>& terms = {}) {
  tarnwick::GofTables tables = gof_numbers(summary);
  tables.network_path = path;
  tables.terms = terms;
  return tables;
}

// An observed network and 100 simulated ones of 21 to 50 nodes, with model statistics whose
// names need escaping.
GofSummary realistic_summary() {
  std::mt19937_64 random(42);
  const NetworkFeatures observed =
      network_features(test::network_of(test::random_network(35, 0.1, 0.5, 42)));
  std::vector<NetworkFeatures> simulated;
  StatisticSample model{
      {"edges", "mutual <i<>j>", "2-stars \"out\", k<-i->j & more"}, {120, 30, 400}, {}};
  std::normal_distribution<double> noise;
  for (int k = 0; k < 100; ++k) {
    const int n = 21 + static_cast<int>(random() % 30);
    simulated.push_back(network_features(test::network_of(test::random_network(n, 0.12, 0.5, k))));
    model.simulated.push_back(
        {110 + 10 * noise(random), 25 + 4 * noise(random), 380 + 30 * noise(random)});
  }
  return summarize_gof(observed, simulated, model);
}

// What libxml2's parser finds wrong with `text` as an XML document (no network access, no
// entities but XML's own), or an empty string.
std::string xml_problem(const std::string& text) {
  const std::unique_ptr<xmlParserCtxt, void (*)(xmlParserCtxtPtr)> context(xmlNewParserCtxt(),
                                                                           xmlFreeParserCtxt);
  const xmlDocPtr document =
      xmlCtxtReadMemory(context.get(), text.data(), static_cast<int>(text.size()), "figure.xml",
                        nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (document != nullptr) xmlFreeDoc(document);
  if (document != nullptr && context->wellFormed) return "";
  const xmlError* error = xmlCtxtGetLastError(context.get());
  return error != nullptr && error->message != nullptr ? error->message : "not well-formed";
}

TEST(GofReport, XmlCheckRefusesBrokenDocuments) {
  EXPECT_EQ(xml_problem("<a b=\"1\"><c/>x &amp; y</a>"), "");
  for (const char* broken : {"<a><b></a></b>", "<a>x & y</a>", "<a b=\"1\" b=\"2\"/>", "<a/><b/>"})
    EXPECT_NE(xml_problem(broken), "") << broken;
}

// The layout of the rows is pinned by the recorded gof.csv files; here what they lack: a value
// with commas and quotes, and numbers that are not finite.
TEST(GofReport, CsvQuotesValuesAndWritesNonFiniteNumbersAsNA) {
  std::ostringstream out;
  write_gof_csv(tables_of(realistic_summary()), out);
  EXPECT_NE(out.str().find("\nmodel,\"2-stars \"\"out\"\", k<-i->j & more\","), std::string::npos)
      << out.str();
  const NetworkFeatures f = network_features(test::network_of({{1, 2}, {2, 3}}));
  std::ostringstream na;
  write_gof_csv(tables_of(summarize_gof(f, {}, {})), na);
  EXPECT_NE(na.str().find("\nout_degree,0,0.3333333333333333,NA,NA,NA,NA,NA,NA\n"),
            std::string::npos)
      << na.str();
}

// Writes the figure of `summary`, checks it as XML, renders it with rsvg-convert and returns the
// size of the PNG.
std::uintmax_t rendered_size(const tarnwick::GofTables& tables) {
  std::ostringstream svg;
  write_gof_svg(tables, svg);
  EXPECT_EQ(xml_problem(svg.str()), "");
  const test::TemporaryFolder folder;
  const auto svg_path = folder.path() / "gof.svg";
  const auto png_path = folder.path() / "gof.png";
  std::ofstream(svg_path) << svg.str();
  const std::string command = "rsvg-convert -o '" + png_path.string() + "' '" + svg_path.string() +
                              "' 2> '" + (folder.path() / "errors.txt").string() + "'";
  const int status = std::system(command.c_str());
  std::ifstream errors(folder.path() / "errors.txt");
  const std::string messages{std::istreambuf_iterator<char>(errors), {}};
  EXPECT_EQ(status, 0) << "rsvg-convert (Debian librsvg2-bin) failed: " << messages;
  EXPECT_EQ(messages, "");
  if (!std::filesystem::exists(png_path)) return 0;
  std::ifstream png(png_path, std::ios::binary);
  std::string signature(8, '\0');
  png.read(signature.data(), 8);
  EXPECT_EQ(signature, "\x89PNG\r\n\x1a\n");
  return std::filesystem::file_size(png_path);
}

TEST(GofReport, SvgIsWellFormedAndRenders) {
  const tarnwick::GofTables summary =
      tables_of(realistic_summary(), "Advice network & friends <test>");
  EXPECT_GT(rendered_size(summary), 10000u);
  std::ostringstream svg;
  write_gof_svg(summary, svg);
  const std::string text = svg.str();
  EXPECT_NE(text.find("Advice network &amp; friends &lt;test&gt;"), std::string::npos);
  EXPECT_NE(text.find("mutual &lt;i&lt;&gt;j&gt;"), std::string::npos);
}

// A title longer than the figure is wide is wrapped at blanks (a word longer than a line broken),
// every line within the figure, nothing of it lost; a short one stays one line.
TEST(GofReport, ALongTitleIsWrappedWithinTheFigure) {
  const std::string long_path(130, 'p');
  const tarnwick::GofTables summary =
      tables_of(realistic_summary(), "data/" + long_path + ".csv",
                {"edges", "mutual", "gwesp(0.5, fixed=TRUE)", "nodematch(\"department\")",
                 "nodematch(\"level\")", "absdiff(\"age\")", "nodeicov(\"tenure\")"});
  const std::string title =
      "Goodness of fit: data/" + long_path +
      ".csv, edges mutual gwesp(0.5, fixed=TRUE) nodematch(\"department\") nodematch(\"level\") "
      "absdiff(\"age\") nodeicov(\"tenure\")";
  EXPECT_EQ(gof_title(summary), title);
  std::ostringstream svg;
  write_gof_svg(summary, svg);
  EXPECT_GT(rendered_size(summary), 10000u);
  const std::string text = svg.str();
  const std::string title_start = "font-size=\"20\" text-anchor=\"middle\" font-weight=\"bold\"";
  std::vector<std::string> lines;
  for (std::size_t at = text.find(title_start); at != std::string::npos;
       at = text.find(title_start, at + 1)) {
    const std::size_t open = text.find('>', at) + 1;
    lines.push_back(text.substr(open, text.find("</text>", open) - open));
  }
  ASSERT_GE(lines.size(), 3u);
  // Lines break at blanks, or inside a word wider than a line: without blanks, the lines are the
  // title.
  const auto unescaped = [](std::string text) {
    for (std::size_t at = text.find("&quot;"); at != std::string::npos; at = text.find("&quot;"))
      text.replace(at, 6, "\"");
    return text;
  };
  const auto without_blanks = [](std::string text) {
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
  };
  std::string joined;
  for (const std::string& line : lines) {
    EXPECT_LE(text_width(unescaped(line), title_size), figure_width - 24) << line;
    joined += unescaped(line);
  }
  EXPECT_EQ(without_blanks(joined), without_blanks(title));
  std::ostringstream short_svg;
  write_gof_svg(tables_of(realistic_summary(), "advice.csv", {"edges", "mutual"}), short_svg);
  EXPECT_NE(short_svg.str().find(">Goodness of fit: advice.csv, edges mutual</text>"),
            std::string::npos);
}

// A star of 120 leaves: the in-degree panel has 121 values, drawn in bins that double in width
// on a logarithmic axis; the rows still give every value.
TEST(GofReport, AWideDegreePanelIsBinnedAndDrawnOnALogScale) {
  test::LinkList star;
  for (int leaf = 2; leaf <= 121; ++leaf) star.emplace_back(leaf, 1);
  const NetworkFeatures features = network_features(test::network_of(star));
  const tarnwick::GofTables summary =
      tables_of(summarize_gof(features, {features, features}, {}), "star");
  std::ostringstream svg;
  write_gof_svg(summary, svg);
  const std::string text = svg.str();
  EXPECT_NE(text.find("in-degree (bins doubling in width)"), std::string::npos);
  EXPECT_NE(text.find(">32-63<"), std::string::npos);
  EXPECT_NE(text.find("share of nodes (log scale)"), std::string::npos);
  EXPECT_EQ(xml_problem(text.substr(text.find("<svg"))), "");
  std::size_t in_degree_rows = 0;
  for (const tarnwick::GofRow& row : summary.rows)
    in_degree_rows += row.feature == "in_degree" ? 1 : 0;
  EXPECT_EQ(in_degree_rows, 121u);
}

TEST(GofReport, SvgOfEmptyNetworkWithoutSimulationsRenders) {
  const NetworkFeatures none = network_features(test::network_of({}));
  EXPECT_GT(rendered_size(tables_of(summarize_gof(none, {}, {}), "")), 0u);
  const NetworkFeatures one_link = network_features(test::network_of({{1, 2}}));
  EXPECT_GT(
      rendered_size(tables_of(summarize_gof(one_link, {one_link}, {{"edges"}, {1}, {{1}}}), "one")),
      0u);
}

// The page's frame is pinned by the recorded gof.html; here the escapes of its text.
TEST(GofReport, HtmlEscapesItsTextAndIsWellFormed) {
  std::ostringstream out;
  write_gof_html(tables_of(realistic_summary(), "Advice & co"), out);
  const std::string html = out.str();
  EXPECT_NE(html.find("<title>Goodness of fit: Advice &amp; co,</title>"), std::string::npos);
  EXPECT_NE(html.find("<td>2-stars &quot;out&quot;, k&lt;-i-&gt;j &amp; more</td>"),
            std::string::npos);
  EXPECT_EQ(xml_problem(html.substr(html.find("<html"))), "");
}

}  // namespace
}  // namespace tarn
