// Preloaded into the program (LD_PRELOAD) by the tests of failures that no input can
// cause. TW_FAULT chooses one:
//   "throw-after-read:<suffix>"  the first allocation after the first read from a file
//                                whose path ends with <suffix> throws std::bad_alloc;
//   "throw-after-open:<suffix>"  the same after opening such a file;
//   "zip-stat" / "zip-close"     the zip library fails to describe an entry / to close;
//   "alloc-limit:<bytes>"        every allocation of at least <bytes> throws std::bad_alloc,
//                                as under a memory limit a large buffer's next growth fails.
//   "fifo-after-open:<suffix>"   right after the first open of a path that ends with
//                                <suffix>, a FIFO takes the file's place (as another
//                                process could do at any moment).
// The library also stands in for the zip library (it carries its name, so the program's
// loading of the zip library finds it) and hands every other call to the real one.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace {

bool armed = false;

const char* fault() {
  const char* value = std::getenv("TW_FAULT");
  return value ? value : "";
}

bool isFault(const char* name) { return std::strcmp(fault(), name) == 0; }

// Arms the allocation fault when `path` ends with the suffix of `mode`.
void armFor(const char* mode, const char* path) {
  const size_t length = std::strlen(mode);
  if (armed || !path || std::strncmp(fault(), mode, length) != 0) return;
  const char* suffix = fault() + length;
  const size_t pathLength = std::strlen(path), suffixLength = std::strlen(suffix);
  armed = pathLength >= suffixLength && std::strcmp(path + pathLength - suffixLength, suffix) == 0;
}

bool endsWith(const char* path, const char* suffix) {
  const size_t pathLength = std::strlen(path), suffixLength = std::strlen(suffix);
  return pathLength >= suffixLength && std::strcmp(path + pathLength - suffixLength, suffix) == 0;
}

// Puts a FIFO in place of the file at `path`, once, when the fault asks for that path.
void swapForFifo(const char* path) {
  static bool swapped = false;
  const std::string mode = "fifo-after-open:", chosen = fault();
  if (swapped || !path || chosen.compare(0, mode.size(), mode) != 0) return;
  if (!endsWith(path, chosen.c_str() + mode.size())) return;
  swapped = true;
  const std::string pipe = std::string(path) + ".fifo";
  ::unlink(pipe.c_str());
  if (::mkfifo(pipe.c_str(), 0600) == 0) ::rename(pipe.c_str(), path);
}

// Arms the "throw-after-read" fault when `file` is open on a path with its suffix.
void armForDescriptor(int file) {
  if (armed || std::strncmp(fault(), "throw-after-read:", 17) != 0) return;
  char path[4096] = {};
  const std::string link = "/proc/self/fd/" + std::to_string(file);
  if (::readlink(link.c_str(), path, sizeof path - 1) > 0) armFor("throw-after-read:", path);
}

template <class Function>
Function next(const char* name) {
  return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

template <class Function>
Function realZip(const char* name) {
  static void* library = ::dlopen(TARNWICK_REAL_LIBZIP, RTLD_NOW | RTLD_LOCAL);
  return library ? reinterpret_cast<Function>(::dlsym(library, name)) : nullptr;
}

// open and open64 alike: the real call, then the FIFO swap when armed.
int openThenSwap(int (*real)(const char*, int, ...), const char* path, int flags, va_list arguments) {
  const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) != 0 ? va_arg(arguments, mode_t) : 0;
  const int file = real(path, flags, mode);
  swapForFifo(path);
  return file;
}
}  // namespace

// The bytes of "alloc-limit:<bytes>"; 0 without it.
static std::size_t allocationLimit() {
  static const std::size_t limit = [] {
    constexpr const char* kMode = "alloc-limit:";
    const char* value = fault();
    return std::strncmp(value, kMode, std::strlen(kMode)) == 0 ? std::strtoull(value + std::strlen(kMode), nullptr, 10)
                                                              : 0ull;
  }();
  return limit;
}

void* operator new(std::size_t size) {
  if (allocationLimit() != 0 && size >= allocationLimit()) throw std::bad_alloc();
  if (armed) {
    armed = false;
    throw std::bad_alloc();
  }
  if (void* memory = std::malloc(size ? size : 1)) return memory;
  throw std::bad_alloc();
}
// Every plain form of new and delete is replaced together: one left to the runtime (a
// sanitizer's, say) would free with another allocator than the one that allocated.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return ::operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return ::operator new(size, tag); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }

extern "C" {

ssize_t read(int file, void* buffer, size_t count) {
  static const auto real = next<ssize_t (*)(int, void*, size_t)>("read");
  armForDescriptor(file);
  return real(file, buffer, count);
}

ssize_t pread(int file, void* buffer, size_t count, off_t offset) {
  static const auto real = next<ssize_t (*)(int, void*, size_t, off_t)>("pread");
  armForDescriptor(file);
  return real(file, buffer, count, offset);
}

ssize_t pread64(int file, void* buffer, size_t count, off64_t offset) {
  static const auto real = next<ssize_t (*)(int, void*, size_t, off64_t)>("pread64");
  armForDescriptor(file);
  return real(file, buffer, count, offset);
}

FILE* fopen(const char* path, const char* mode) {
  static const auto real = next<FILE* (*)(const char*, const char*)>("fopen");
  armFor("throw-after-open:", path);
  FILE* file = real(path, mode);
  swapForFifo(path);
  return file;
}

FILE* fopen64(const char* path, const char* mode) {
  static const auto real = next<FILE* (*)(const char*, const char*)>("fopen64");
  armFor("throw-after-open:", path);
  FILE* file = real(path, mode);
  swapForFifo(path);
  return file;
}

int open(const char* path, int flags, ...) {
  static const auto real = next<int (*)(const char*, int, ...)>("open");
  va_list arguments;
  va_start(arguments, flags);
  const int file = openThenSwap(real, path, flags, arguments);
  va_end(arguments);
  return file;
}

int open64(const char* path, int flags, ...) {
  static const auto real = next<int (*)(const char*, int, ...)>("open64");
  va_list arguments;
  va_start(arguments, flags);
  const int file = openThenSwap(real, path, flags, arguments);
  va_end(arguments);
  return file;
}

#define TW_FORWARD(name, ...)                                        \
  static const auto real = realZip<decltype(&::name)>(#name);      \
  return real(__VA_ARGS__);

zip_t* zip_open(const char* path, int flags, int* error) { TW_FORWARD(zip_open, path, flags, error) }
zip_t* zip_fdopen(int file, int flags, int* error) { TW_FORWARD(zip_fdopen, file, flags, error) }
int zip_close(zip_t* archive) {
  if (isFault("zip-close")) return -1;
  TW_FORWARD(zip_close, archive)
}
void zip_discard(zip_t* archive) { TW_FORWARD(zip_discard, archive) }
zip_error_t* zip_get_error(zip_t* archive) { TW_FORWARD(zip_get_error, archive) }
int zip_error_code_zip(const zip_error_t* error) { TW_FORWARD(zip_error_code_zip, error) }
zip_int64_t zip_get_num_entries(zip_t* archive, zip_flags_t flags) { TW_FORWARD(zip_get_num_entries, archive, flags) }
void zip_stat_init(zip_stat_t* stat) { TW_FORWARD(zip_stat_init, stat) }
int zip_stat_index(zip_t* archive, zip_uint64_t index, zip_flags_t flags, zip_stat_t* stat) {
  if (isFault("zip-stat")) return -1;
  TW_FORWARD(zip_stat_index, archive, index, flags, stat)
}
int zip_file_get_external_attributes(zip_t* archive, zip_uint64_t index, zip_flags_t flags, zip_uint8_t* system,
                                     zip_uint32_t* attributes) {
  TW_FORWARD(zip_file_get_external_attributes, archive, index, flags, system, attributes)
}
zip_file_t* zip_fopen_index(zip_t* archive, zip_uint64_t index, zip_flags_t flags) {
  TW_FORWARD(zip_fopen_index, archive, index, flags)
}
zip_int64_t zip_fread(zip_file_t* file, void* buffer, zip_uint64_t count) { TW_FORWARD(zip_fread, file, buffer, count) }
int zip_fclose(zip_file_t* file) { TW_FORWARD(zip_fclose, file) }
zip_source_t* zip_source_file(zip_t* archive, const char* path, zip_uint64_t start, zip_int64_t length) {
  TW_FORWARD(zip_source_file, archive, path, start, length)
}
void zip_source_free(zip_source_t* source) { TW_FORWARD(zip_source_free, source) }
zip_int64_t zip_file_add(zip_t* archive, const char* name, zip_source_t* source, zip_flags_t flags) {
  TW_FORWARD(zip_file_add, archive, name, source, flags)
}
zip_int64_t zip_dir_add(zip_t* archive, const char* name, zip_flags_t flags) {
  TW_FORWARD(zip_dir_add, archive, name, flags)
}

}  // extern "C"
