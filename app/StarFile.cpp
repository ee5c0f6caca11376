#include "app/StarFile.h"

#include <fstream>
#include <sstream>

namespace orelith::batch {
namespace {

std::string trim(const std::string& s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string> splitCells(const std::string& line) {
  std::vector<std::string> cells;
  std::stringstream in(line);
  std::string cell;
  while (std::getline(in, cell, ',')) cells.push_back(trim(cell));
  if (!line.empty() && line.back() == ',') cells.emplace_back();
  return cells;
}

bool parseInt(const std::string& text, int& value) {
  try {
    std::size_t used = 0;
    value = std::stoi(text, &used);
    return used == text.size();
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

bool readStarRows(const std::string& path, const std::string& header, std::vector<StarRow>& rows,
                  std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = path + ": cannot be read";
    return false;
  }
  const std::size_t columns = splitCells(header).size();
  std::string line;
  if (!std::getline(in, line) || splitCells(trim(line)) != splitCells(header)) {
    error = path + ": the first line must be \"" + header + "\"";
    return false;
  }
  for (int number = 2; std::getline(in, line); ++number) {
    if (trim(line).empty()) continue;
    std::vector<std::string> cells = splitCells(trim(line));
    StarRow row{number, 0, 0, {}};
    if (cells.size() != columns || !parseInt(cells[0], row.x) || !parseInt(cells[1], row.y)) {
      error = path + " line " + std::to_string(number) + ": expected " + header;
      return false;
    }
    row.extra.assign(cells.begin() + 2, cells.end());
    rows.push_back(std::move(row));
  }
  return true;
}

}  // namespace orelith::batch
