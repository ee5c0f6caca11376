// orelith-gentemplates OUTDIR: draws the two template bitmaps of the
// colour-magnitude diagram, DIB01.DAT (monochrome) and DIB02.DAT (16 colours),
// into OUTDIR.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/TemplateDrawing.h"

namespace {

bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (out) return true;
  std::fprintf(stderr, "orelith-gentemplates: cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: orelith-gentemplates OUTDIR\n");
    return 2;
  }
  std::string dir = argv[1];
  if (!dir.empty() && dir.back() != '/') dir += '/';
  orelith::tools::TemplateInk ink = orelith::tools::drawDiagramAxes();
  bool ok = writeFile(dir + "DIB01.DAT", orelith::tools::monochromeTemplate(ink));
  ok = writeFile(dir + "DIB02.DAT", orelith::tools::colourTemplate(ink)) && ok;
  return ok ? 0 : 1;
}
