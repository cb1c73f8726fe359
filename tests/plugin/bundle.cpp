#include "tests/plugin/bundle.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace fake {

// A copy under a new name is a new object to the dynamic loader, so it gets its own state. It
// goes beside the bundle, where its run path finds the platform library.
Bundle::Bundle() {
  std::string path = std::filesystem::path(QRVUTIL_PATH).parent_path() / "qrvutil-test-XXXXXX.so";
  const int fd = mkstemps(path.data(), 3);
  if (fd < 0) {
    ADD_FAILURE() << "no temporary copy of the bundle";
    return;
  }
  close(fd);
  std::filesystem::copy_file(QRVUTIL_PATH, path, std::filesystem::copy_options::overwrite_existing);
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  std::filesystem::remove(path);
  if (handle_ == nullptr) {
    ADD_FAILURE() << "dlopen: " << dlerror();
    return;
  }
  main_ = reinterpret_cast<PluginMainFunction>(dlsym(handle_, "REALPluginMain"));
  EXPECT_NE(main_, nullptr);
}

Bundle::~Bundle() {
  if (handle_ != nullptr) {
    dlclose(handle_);
  }
}

}  // namespace fake
