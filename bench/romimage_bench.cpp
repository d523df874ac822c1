// The unified ROM image on its hot paths: building one product's 4 MiB flash
// picture from an image file whose sections fill the flash (read, check and
// place every section, hash all 64 sectors), and the image tool's own MD5
// against the platform's (OpenSSL) on flash-sector-sized data.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "platform/common/crypto_openssl.h"
#include "romimage/flash_image_builder.h"
#include "romimage/image_writer.h"

namespace {

using namespace burnkit;

std::shared_ptr<const std::vector<uint8_t>> randomBytes(size_t size, uint32_t seed) {
  auto bytes = std::make_shared<std::vector<uint8_t>>(size);
  std::mt19937 random(seed);
  for (uint8_t& b : *bytes) b = static_cast<uint8_t>(random());
  return bytes;
}

// A product whose sections cover 3.8 MiB of the 4 MiB flash.
std::vector<uint8_t> fullFlashImage() {
  ManifestProduct p;
  p.nameA = "Corvane Z3";
  p.nameB = "bench board";
  p.subsys = 0x0126;
  p.subvendor = 0x4040;
  p.boardType = 0x26;
  p.chipRevision = 0x42;
  auto place = [&](SectionKind kind, size_t size, uint32_t offset) {
    p.section(kind) = PlacedSection{{sectionKindName(kind), randomBytes(size, offset + 1)}, offset};
  };
  place(SectionKind::crbinit0, 0x1000, 0x0);
  place(SectionKind::brdcfg, 0x200, 0x4000);
  place(SectionKind::keltune, 0x10000, 0x10000);
  place(SectionKind::bootld, 0x20000, 0x20000);
  place(SectionKind::firmware, 0x380000, 0x40000);
  place(SectionKind::pxe, 0x10000, 0x3C0000);
  place(SectionKind::vpd, 0x100, 0x3E8C00);
  ImageManifest m;
  m.products = {p};
  return writeImage(m);
}

class ImageFile {
 public:
  ImageFile() : path_((std::filesystem::temp_directory_path() / "romimage_bench_image").string()) {
    const std::vector<uint8_t> image = fullFlashImage();
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    if (f) {
      std::fwrite(image.data(), 1, image.size(), f);
      std::fclose(f);
    }
  }
  ~ImageFile() { std::filesystem::remove(path_); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

void BM_BuildFlashPictureFromFile(benchmark::State& state) {
  ImageFile file;
  FlashImage picture;
  for (auto _ : state) {
    std::string reason;
    std::unique_ptr<FileImageSource> source = FileImageSource::open(file.path(), &reason);
    MessageLog log;
    if (!source || findProductAndBuild(*source, log, picture, 0x0126, 0x4040, 0x42, 0x26) != 0) {
      state.SkipWithError("the picture was not built");
      break;
    }
    benchmark::DoNotOptimize(picture.data());
  }
}
BENCHMARK(BM_BuildFlashPictureFromFile)->Unit(benchmark::kMillisecond);

void BM_OwnMd5(benchmark::State& state) {
  auto data = randomBytes(static_cast<size_t>(state.range(0)), 7);
  for (auto _ : state) benchmark::DoNotOptimize(md5(*data));
  state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_OwnMd5)->Arg(0x10000)->Arg(0x400000);

void BM_PlatformMd5(benchmark::State& state) {
  auto data = randomBytes(static_cast<size_t>(state.range(0)), 7);
  auto crypto = platform::makeOpenSslCrypto();
  for (auto _ : state) {
    platform::WinError error = 0;
    auto hash = crypto->beginMd5(&error);
    platform::Md5Digest digest;
    hash->update(data->data(), data->size(), &error);
    hash->finish(&digest, &error);
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_PlatformMd5)->Arg(0x10000)->Arg(0x400000);

}  // namespace

BENCHMARK_MAIN();
