#pragma once
// The file formats a network (or its covariate network) can come in, by name and by detection.

#include <optional>
#include <string_view>

namespace tarn {

enum class NetworkFormat {
  record,  // a record-format line, then fixed-width records (the program's own format)
  csv,     // comma-separated values (RFC 4180)
  tsv,     // tab-separated values
  blank,   // fields separated by blanks or tabs, # comment lines
  pajek,   // a Pajek .net file: *Vertices, *Arcs, *Edges, *Arcslist, *Edgeslist
};

// The format of a name: "record", "csv", "tsv", "blank" or "pajek", in any case.
std::optional<NetworkFormat> network_format_named(std::string_view name);

// The name of a format, as network_format_named takes it.
std::string_view network_format_name(NetworkFormat format);

// The format of a file from its name and its first bytes (a few kilobytes are plenty). The
// first rule that applies decides:
// 1. Content. After a UTF-8 byte-order mark and any white space, '(' means a record file. A
//    first line (empty lines and lines beginning with % or # skipped, leading blanks ignored)
//    that begins with *Vertices, *Arcs, *Edges or *Network, in any case, means a Pajek file.
// 2. The extension, in any case: .net or .paj is Pajek, .csv is CSV, .tsv or .tab is TSV.
// 3. The first data line (empty lines and lines beginning with # skipped): a tab means TSV, else
//    a comma means CSV, else the fields are separated by blanks.
NetworkFormat detect_network_format(std::string_view file_name, std::string_view first_bytes);

}  // namespace tarn
