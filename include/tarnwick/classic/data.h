#pragma once
// The data of the classic model of the sixteen configuration types, as the dialogue reads them:
// data files whose first line is a record format (the network file, the attribute file and the
// comparative network file), within the classic capacities. File names are fields of 24
// characters, as the dialogue takes them; trailing blanks are not part of the name.
//
// Reading throws InputError for a file that cannot be opened or is not valid, and CapacityError
// for data larger than the capacities below; both carry the message a front end shows as it is.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <functional>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tarnwick/errors.h"

namespace tarnwick {

// The fixed capacities of the classic model.
struct ClassicCapacity {
  static constexpr int parameters = 64;  // also the columns of the statistics table
  static constexpr int nodes = 2000;
  static constexpr int links = 500000;
  static constexpr int attributes = 8;  // per node, after its id
  static constexpr int blocks = 16;
  static constexpr int block_types = 16;  // the largest entry of a block structure
  static constexpr int groups = 15;       // groups of block parameters
  static constexpr int name_length = 24;  // characters of a file name field
  static constexpr std::size_t line_length = std::size_t{1} << 24;  // of a data or answer line
};

// ---- File names and files

// A name field of 24 characters: the typed name cut or padded with blanks.
std::string classic_name_field(std::string_view typed);
// The name as looked up on disk: the field without its trailing blanks.
std::string classic_trimmed_name(std::string_view name_field);
// True when something of that name exists (a folder counts: opening it then fails).
bool classic_file_exists(std::string_view name_field);
bool classic_is_folder(std::string_view name_field);
// True when both names lead to the same existing file (also through links or another spelling).
bool classic_same_file(std::string_view name_field, std::string_view other_name_field);
// Creates the output file, or rewrites an existing one from its start. Throws InputError naming
// the file when it cannot be created.
std::unique_ptr<std::ofstream> classic_output_file(std::string_view name_field);

enum class LineRead { line, end_of_file, too_long };
// The next line of `in` without its line end (a carriage return before it stays), at most
// ClassicCapacity::line_length characters: a longer line gives too_long. A last line without a
// line end is a line.
LineRead read_bounded_line(std::istream& in, std::string& line);

// A data file opened for reading and not read yet.
class ClassicFile {
 public:
  // Opens an existing file; InputError when it cannot be read (a folder, a device, no access).
  static ClassicFile open(std::string_view name_field);
  // The text of `stream`, named `name_field` in messages.
  ClassicFile(std::unique_ptr<std::istream> stream, std::string name_field);
  ClassicFile(ClassicFile&&) noexcept;
  ClassicFile& operator=(ClassicFile&&) noexcept;
  ~ClassicFile();

  const std::string& name() const;  // the 24-character field

  struct Data;
  Data& data() { return *data_; }

 private:
  std::unique_ptr<Data> data_;
};

// ---- The data

// A network of nodes 1..n and its links, as the classic fit reads it. Cheap to copy (it shares
// its data); a default network has no nodes.
class ClassicNetwork {
 public:
  ClassicNetwork() = default;
  int node_count() const;
  std::int64_t link_count() const;

  struct Data;
  explicit ClassicNetwork(std::shared_ptr<const Data> data) : data_(std::move(data)) {}
  const Data& data() const { return *data_; }

 private:
  std::shared_ptr<const Data> data_;
};

// Reads a network file: the record format, then a record per link (sender, receiver, value; a
// value of 0 is no link), senders ascending. `stage_done` is called when the records have been
// read and again when the reciprocated links have been marked. A network whose change statistics
// would not fit 16 bits (links given many times) is refused.
ClassicNetwork read_classic_network(ClassicFile& file,
                                    const std::function<void()>& stage_done = {});
// The network of these links (sender, receiver; 1-based), given in that order.
ClassicNetwork classic_network_of_links(const std::vector<std::pair<int, int>>& links);

// Up to eight whole-number attributes per node. Cheap to copy; a default one has no values.
class ClassicAttributes {
 public:
  ClassicAttributes() = default;
  // The leading attributes 1, 2, ... whose largest value is positive: those that can block.
  int usable_count() const;
  // The largest value of attribute 1..8 over the nodes, at least 0.
  int largest(int attribute) const;
  // The value of attribute 1..8 of node 1..n; 0 for a node without a record.
  int value(int node, int attribute) const;

  struct Data;
  explicit ClassicAttributes(std::shared_ptr<const Data> data) : data_(std::move(data)) {}
  const Data* data() const { return data_.get(); }

 private:
  std::shared_ptr<const Data> data_;
};

// Reads an attribute file with `count` values per record after the id (at most 8; 0 or less
// reads the ids alone). Records of ids outside 1..2000 are skipped.
ClassicAttributes read_classic_attributes(ClassicFile& file, int count);
// The attributes of values[a - 1][i - 1] for attribute a of node i (at most 8 attributes and
// 2000 nodes; each value within -32768..32767).
ClassicAttributes classic_attributes_of(const std::vector<std::vector<int>>& values);

// A second relation on the same nodes, a whole-number value per dyad: the comparative network of
// configuration type 16. Cheap to copy; a default one is absent.
class ClassicComparative {
 public:
  ClassicComparative() = default;
  bool present() const { return data_ != nullptr; }

  struct Data;
  explicit ClassicComparative(std::shared_ptr<const Data> data) : data_(std::move(data)) {}
  const Data* data() const { return data_.get(); }

 private:
  std::shared_ptr<const Data> data_;
};

// Reads a comparative network file for the nodes 1..node_count: records sorted by sender, the
// value of each dyad; a file without a record of non-zero value is refused.
ClassicComparative read_classic_comparative(ClassicFile& file, int node_count);

}  // namespace tarnwick
