#include "image/St6Loader.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>

#include "base/File.h"
#include "resources/StringTable.h"

namespace orelith {
namespace {

St6Status checkSignature(std::FILE* f) {
  char head[15];
  if (std::fread(head, 1, sizeof head, f) != sizeof head) return St6Status::CannotRead;
  if (std::memcmp(head, "ST-6 Compressed", 15) == 0) return St6Status::Compressed;
  head[10] = ' ';
  head[11] = ' ';
  if (std::memcmp(head, "ST-6 Image  Fil", 15) != 0) return St6Status::NotSt6;
  return St6Status::Ok;
}

}  // namespace

StringId st6MessageFor(St6Status status) {
  switch (status) {
    case St6Status::CannotRead:
      return str::UnableToReadFile;
    case St6Status::Compressed:
      return str::CompressedSt6;
    case St6Status::NotSt6:
      return str::NoSt6Image;
    case St6Status::FitsRefused:
      return str::FitsUnreadable;
    case St6Status::Ok:
    case St6Status::CannotOpen:
      break;
  }
  return str::UnableToOpenFile;
}

St6Status readSt6File(const std::string& path, std::uint16_t* rowMajor) {
  File f = openRegularFile(path);
  if (!f) return St6Status::CannotOpen;
  if (St6Status s = checkSignature(f.get()); s != St6Status::Ok) return s;
  if (std::fseek(f.get(), kSt6PixelOffset, SEEK_SET) != 0) return St6Status::CannotRead;
  // The pixels are least significant byte first: read whole, then put into
  // the host's order (nothing to do on a little-endian host).
  if (std::fread(rowMajor, 2, kPixelCount, f.get()) != static_cast<std::size_t>(kPixelCount))
    return St6Status::CannotRead;
  if constexpr (std::endian::native != std::endian::little) {
    for (int i = 0; i < kPixelCount; ++i)
      rowMajor[i] = static_cast<std::uint16_t>((rowMajor[i] >> 8) | (rowMajor[i] << 8));
  }
  return St6Status::Ok;
}

St6Status loadImage(Workspace& ws, int image) {
  // Read into scratch first, so that a bad file leaves the old image intact.
  std::uint16_t* plane = sized(ws.scratch.loadPlane, kPixelCount);
  const St6Status status = readSt6File(ws.filePath, plane);
  if (status != St6Status::Ok) return status;
  resizeFrame(ws, image, kImageWidth, kImageHeight);
  std::copy(plane, plane + kPixelCount, ws.frame[image].values.begin());
  return St6Status::Ok;
}

}  // namespace orelith
