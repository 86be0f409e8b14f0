// Data files at their extremes: lines of a megabyte, folders named as files, files without a
// last line end, and the messages that name the file and the line.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "input/attribute_file.h"
#include "input/console.h"
#include "input/data_file.h"
#include "input/file_access.h"
#include "input/line_reader.h"
#include "input/network_file.h"
#include "store/fatal_error.h"
#include "support/world.h"

namespace tarn {
namespace {

using test::World;

DataFile file_of(const std::string& text, const std::string& name = "net.dat") {
  return DataFile(std::make_unique<std::istringstream>(text), name_field(name));
}

std::string fatal_message(const std::function<void()>& action) {
  try {
    action();
  } catch (const FatalError& e) {
    return e.what();
  }
  return "(no error)";
}

constexpr std::size_t megabyte = 1 << 20;

TEST(LongLines, AMegabyteOfBlanksAfterARecordIsPassedOver) {
  World w;
  DataFile file = file_of("(2I5,I3)\n    1    2  1" + std::string(megabyte, ' ') +
                          "\n    2    1  1\n");
  read_network(w.rec, w.io, file);
  EXPECT_EQ(w.rec.links.link_count, 2);
  EXPECT_EQ(w.rec.nodes.mutual_count(1), 1);
}

TEST(LongLines, AMegabyteWideFieldOfDigitsIsTooLargeAndTheMessageStaysShort) {
  World w;
  DataFile file = file_of("(I1048576,2I3)\n" + std::string(megabyte, '7') + "  2  1\n");
  const std::string message = fatal_message([&] { read_network(w.rec, w.io, file); });
  EXPECT_EQ(message.rfind("Input error in \"net.dat\", line 2: \"7777", 0), 0) << message;
  EXPECT_NE(message.find("...\" in columns 1-1048576 does not fit in a 32-bit number"),
            std::string::npos)
      << message;
  EXPECT_LT(message.size(), 200u);
}

TEST(LongLines, AMegabyteFormatLineIsCutTo80Characters) {
  World w;
  DataFile good = file_of("(2I5,I3)" + std::string(megabyte, 'x') + "\n    1    2  1\n");
  read_network(w.rec, w.io, good);
  EXPECT_EQ(w.rec.links.link_count, 1);

  DataFile cut = file_of("(2I5," + std::string(megabyte, ' ') + "I3)\n    1    2  1\n");
  EXPECT_EQ(fatal_message([&] { read_network(w.rec, w.io, cut); }),
            "Format error in \"net.dat\", line 1: \"(2I5,\" is not a valid record format: the "
            "closing parenthesis is missing (the record format is the first 80 characters of the "
            "line, which has 1048584).");
}

TEST(LongLines, AMegabyteLineOfAttributesReadsItsFirstFields) {
  World w({{1, 2}, {2, 1}});
  w.rec.nodes.attr_count = 2;
  DataFile file = file_of("(I5,2I3)\n    1  2  3" + std::string(megabyte, '9') + "\n", "attr.dat");
  read_attributes(w.rec, file);
  EXPECT_EQ(w.rec.nodes.attr_value(1, 1), 2);
  EXPECT_EQ(w.rec.nodes.attr_value(1, 2), 3);
  EXPECT_EQ(w.rec.nodes.attr_count, 2);
}

// Runs `body` inside a new empty temporary folder, so that names stay short.
void in_temporary_folder(const std::function<void()>& body) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::temp_directory_path() / ("tarnwick-hardening-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const fs::path home = fs::current_path();
  fs::current_path(folder);
  body();
  fs::current_path(home);
  fs::remove_all(folder);
}

TEST(Folders, AFolderNamedAsInputOrOutputFileIsRefusedByName) {
  in_temporary_folder([] {
    std::filesystem::create_directory("data");
    const std::string name = name_field("data");
    EXPECT_TRUE(file_exists(name));
    EXPECT_TRUE(is_folder(name));
    EXPECT_EQ(fatal_message([&] { open_for_reading(name); }),
              "Cannot read \"data\": it is a folder, not a file.");
    EXPECT_EQ(fatal_message([&] { open_for_writing(name); }),
              "Cannot create output file \"data\": it is a folder, not a file.");
  });
}

TEST(Folders, AnOutputFileThatCannotBeCreatedSaysWhy) {
  in_temporary_folder([] {
    EXPECT_EQ(fatal_message([] { open_for_writing(name_field("nofolder/out.txt")); }),
              "Cannot create output file \"nofolder/out.txt\" (No such file or directory).");
    EXPECT_EQ(fatal_message([] { open_for_writing(name_field("")); }),
              "Cannot create output file (an empty name).");
  });
}

// A device could deliver bytes without end or block; it cannot be read again from its start.
TEST(Devices, ADeviceIsNotADataFile) {
  EXPECT_EQ(fatal_message([] { open_for_reading(name_field("/dev/null")); }),
            "Cannot read \"/dev/null\": it is not an ordinary file.");
}

TEST(LongLines, ALineLongerThan16MiBEndsTheRun) {
  World w;
  DataFile file = file_of("(2I5,I3)\n    1    2  1\n" + std::string(max_line_length + 1, ' ') + "\n");
  EXPECT_EQ(fatal_message([&] { read_network(w.rec, w.io, file); }),
            "Input error in \"net.dat\", line 3: the line is longer than 16777216 characters.");
  DataFile exactly = file_of("(2I5,I3)\n    1    2  1" + std::string(max_line_length - 13, ' ') + "\n");
  read_network(w.rec, w.io, exactly);
  EXPECT_EQ(w.rec.links.link_count, 1);
}

TEST(LongLines, AnAnswerLongerThan16MiBEndsTheRun) {
  std::istringstream in(std::string(max_line_length + 1, '1') + "\n");
  std::ostringstream out;
  Console console(in, out);
  EXPECT_EQ(fatal_message([&] { console.read_line(); }),
            "Input error: an answer line is longer than 16777216 characters; the run ends.");
}

TEST(Names, SameFileSeesThroughOtherSpellings) {
  in_temporary_folder([] {
    { std::ofstream("a.dat") << "(I1)\n"; }
    std::filesystem::create_directory("sub");
    EXPECT_TRUE(same_file(name_field("a.dat"), name_field("./a.dat")));
    EXPECT_TRUE(same_file(name_field("a.dat   "), name_field("sub/../a.dat")));
    EXPECT_FALSE(same_file(name_field("a.dat"), name_field("b.dat")));
    EXPECT_FALSE(same_file(name_field(""), name_field("")));
    EXPECT_FALSE(same_file(name_field(" a.dat"), name_field("a.dat")));  // a leading blank counts
  });
}

// Every refusal of a record names the file and the line it stands on.
TEST(Messages, RecordErrorsNameFileAndLine) {
  World w;
  DataFile file = file_of("(2I5,I3)\n    1    2  1\n\n    1    3  1\n    1    4 1x\n");
  EXPECT_EQ(fatal_message([&] { read_network(w.rec, w.io, file); }),
            "Input error in \"net.dat\", line 5: \" 1x\" in columns 11-13 is not a whole number.");
}

}  // namespace
}  // namespace tarn
