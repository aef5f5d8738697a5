// The layers of docs/ARCHITECTURE.md hold in the sources: the folders and
// links table there is read as written, and every include and every CMake
// link of the code is checked against it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace plimo::test {
namespace {

namespace fs = std::filesystem;

const fs::path kSourceRoot = PLIMO_SOURCE_DIR;

struct Layer {
  std::string folder;   // relative to the source root, with a trailing '/'
  std::string library;  // the CMake target
  std::vector<std::string> links;
};

std::string ReadText(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> Backticked(const std::string& text) {
  std::vector<std::string> names;
  static const std::regex kName("`([^`]+)`");
  for (std::sregex_iterator it(text.begin(), text.end(), kName), end; it != end; ++it) {
    names.push_back((*it)[1]);
  }
  return names;
}

// The rows of the folders and libraries table, top to bottom; rows whose
// library cell names no target (the tests) are left out.
std::vector<Layer> ReadLayerTable() {
  std::vector<Layer> layers;
  std::istringstream lines(ReadText(kSourceRoot / "docs/ARCHITECTURE.md"));
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("| `", 0) != 0) continue;
    std::vector<std::string> cells;
    std::istringstream row(line.substr(2, line.size() - 4));
    for (std::string cell; std::getline(row, cell, '|');) cells.push_back(cell);
    if (cells.size() < 4) continue;
    const std::vector<std::string> folder = Backticked(cells.front());
    const std::vector<std::string> library = Backticked(cells[1]);
    if (folder.empty() || library.empty()) continue;
    layers.push_back({folder.front(), library.front(), Backticked(cells.back())});
  }
  return layers;
}

class Layering : public ::testing::Test {
 protected:
  Layering() : layers(ReadLayerTable()) {
    for (const Layer& layer : layers) reach[layer.library] = Reach(layer);
  }

  // The layer a path under the source root belongs to: the deepest folder
  // of the table that holds it, or null.
  const Layer* LayerOf(const std::string& relative) const {
    const Layer* owner = nullptr;
    for (const Layer& layer : layers) {
      if (relative.rfind(layer.folder, 0) == 0 &&
          (owner == nullptr || layer.folder.size() > owner->folder.size())) {
        owner = &layer;
      }
    }
    return owner;
  }

  // Everything a library may use: itself and, through its links, what
  // they reach in turn.
  std::set<std::string> Reach(const Layer& layer) const {
    std::set<std::string> reached{layer.library};
    std::vector<std::string> pending(layer.links);
    while (!pending.empty()) {
      const std::string name = pending.back();
      pending.pop_back();
      if (!reached.insert(name).second) continue;
      for (const Layer& other : layers) {
        if (other.library == name) pending.insert(pending.end(), other.links.begin(), other.links.end());
      }
    }
    // Widgets brings the rest of Qt with it.
    if (reached.count("Qt6::Widgets")) reached.insert("Qt6::Gui");
    return reached;
  }

  // The source files of a layer, without the folders of deeper layers.
  std::vector<fs::path> SourcesOf(const Layer& layer) const {
    std::vector<fs::path> sources;
    for (const auto& entry : fs::recursive_directory_iterator(kSourceRoot / layer.folder)) {
      const std::string extension = entry.path().extension().string();
      if (extension != ".h" && extension != ".cpp") continue;
      const std::string relative = fs::relative(entry.path(), kSourceRoot).string();
      if (LayerOf(relative) == &layer) sources.push_back(entry.path());
    }
    return sources;
  }

  std::vector<Layer> layers;
  std::map<std::string, std::set<std::string>> reach;
};

// The library an angle-bracket include comes from, when it is one the
// table names; "" for the C and C++ libraries and the system.
std::string ExternalLibraryOf(const std::string& header) {
  if (header == "fftw3.h") return "FFTW3";
  if (header.rfind("alsa/", 0) == 0) return "ALSA";
  if (header.rfind("pulse/", 0) == 0) return "libpulse";
  if (header.size() > 1 && header[0] == 'Q' && std::isupper(static_cast<unsigned char>(header[1])))
    return "Qt6::Gui";
  if (header.rfind("QtCore/", 0) == 0 || header.rfind("QtGui/", 0) == 0) return "Qt6::Gui";
  if (header.rfind("QtWidgets/", 0) == 0) return "Qt6::Widgets";
  if (header.rfind("benchmark/", 0) == 0) return "benchmark";
  return "";
}

TEST_F(Layering, TheTableNamesEveryLibraryOnceAndLinksOnlyUpwards) {
  ASSERT_GE(layers.size(), 10u) << "the table of docs/ARCHITECTURE.md was not found";
  std::set<std::string> above;
  for (const Layer& layer : layers) {
    EXPECT_TRUE(fs::is_directory(kSourceRoot / layer.folder)) << layer.folder;
    EXPECT_TRUE(above.insert(layer.library).second) << layer.library << " is listed twice";
    for (const std::string& link : layer.links) {
      if (link.rfind("plimo", 0) != 0) continue;
      EXPECT_TRUE(above.count(link) && link != layer.library)
          << layer.library << " links " << link << ", which is not listed above it";
    }
  }
}

TEST_F(Layering, EveryIncludeComesFromALibraryItsOwnLibraryReaches) {
  static const std::regex kInclude(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  for (const Layer& layer : layers) {
    const std::set<std::string>& allowed = reach.at(layer.library);
    for (const fs::path& source : SourcesOf(layer)) {
      std::istringstream lines(ReadText(source));
      for (std::string line; std::getline(lines, line);) {
        std::smatch include;
        if (!std::regex_search(line, include, kInclude)) continue;
        const std::string header = include[2];
        std::string from;
        if (include[1] == "<") {
          from = ExternalLibraryOf(header);
          if (from.empty() || from == "benchmark") continue;
        } else {
          // A quoted include is looked up beside the file first, then
          // from the source root.
          fs::path found = source.parent_path() / header;
          if (!fs::exists(found)) found = kSourceRoot / header;
          if (!fs::exists(found)) continue;  // generated at build time
          const Layer* owner = LayerOf(fs::relative(fs::canonical(found), kSourceRoot).string());
          ASSERT_NE(owner, nullptr) << source << " includes " << header << " from outside every library";
          from = owner->library;
        }
        EXPECT_TRUE(allowed.count(from))
            << fs::relative(source, kSourceRoot).string() << " (" << layer.library << ") includes " << header
            << " from " << from << ", which " << layer.library << " does not link";
      }
    }
  }
}

TEST_F(Layering, EveryCMakeLinkIsInTheTable) {
  static const std::regex kLinks(R"(target_link_libraries\(\s*([\w-]+)([^)]*)\))");
  static const std::regex kProjectLibrary(R"(\bplimo_\w+)");
  for (const Layer& layer : layers) {
    const std::string cmake = ReadText(kSourceRoot / layer.folder / "CMakeLists.txt");
    const std::set<std::string>& allowed = reach.at(layer.library);
    for (std::sregex_iterator it(cmake.begin(), cmake.end(), kLinks), end; it != end; ++it) {
      if ((*it)[1] != layer.library) continue;
      const std::string linked = (*it)[2];
      for (std::sregex_iterator lib(linked.begin(), linked.end(), kProjectLibrary); lib != end; ++lib) {
        EXPECT_TRUE(allowed.count(lib->str()))
            << layer.library << " links " << lib->str() << " in CMake, which the table does not allow";
      }
    }
  }
}

}  // namespace
}  // namespace plimo::test
