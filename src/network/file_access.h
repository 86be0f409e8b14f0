#pragma once
// All file access of the program: existence tests, opening text files for reading and writing.
// Names arrive as 24-character fields; trailing blanks are not part of the name.

#include <fstream>
#include <memory>
#include <string>
#include <string_view>

namespace tarn {

// True when something of that name exists (a folder counts: opening it then fails loudly).
bool file_exists(std::string_view name_field);

// True when the name is that of a folder.
bool is_folder(std::string_view name_field);

// True when both names lead to the same existing file (also through links or another spelling).
bool same_file(std::string_view name_field, std::string_view other_name_field);

// Opens an existing text file for reading; a failure ends the run with a message naming it.
std::unique_ptr<std::istream> open_for_reading(std::string_view name_field);

// Creates the file, or rewrites an existing one from its start; a failure ends the run.
std::unique_ptr<std::ofstream> open_for_writing(std::string_view name_field);

}  // namespace tarn
