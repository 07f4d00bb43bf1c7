#include <sys/random.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "rollservice/SystemRandom.h"

namespace kestar::rollservice {
namespace {

struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// A kernel older than getrandom has the same source as a device.
void fromDevice(std::uint8_t* bytes, std::size_t size) {
  const std::unique_ptr<std::FILE, CloseFile> device(std::fopen("/dev/urandom", "rb"));
  if (!device || std::fread(bytes, 1, size, device.get()) != size) {
    throw std::runtime_error("cannot read /dev/urandom");
  }
}

}  // namespace

// The kernel's generator, not the processor's instruction that std::random_device may take here.
void systemRandom(std::uint8_t* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t got = getrandom(bytes, size, 0);
    if (got < 0) {
      if (errno == EINTR) continue;
      if (errno == ENOSYS) return fromDevice(bytes, size);
      throw std::runtime_error("getrandom failed");
    }
    bytes += got;
    size -= static_cast<std::size_t>(got);
  }
}

}  // namespace kestar::rollservice
