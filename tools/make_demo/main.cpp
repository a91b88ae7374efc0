// vantor-make-demo DIR: writes a demo game folder to try the patcher on.

#include <cstdio>
#include <string>

#include "demo_folder.h"

int main(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]) == "--help") {
    std::fprintf(argc == 2 ? stdout : stderr,
                 "Usage: %s DIR\n"
                 "Writes a demo game folder into DIR (created; it must not exist or be empty).\n"
                 "Copy vantor-patcher-demo or vantor-patch-demo into it and run that.\n",
                 argv[0]);
    return argc == 2 ? 0 : 2;
  }
  std::string error;
  switch (vantor::make_demo_folder(argv[1], error)) {
    case vantor::demo_result::written:
      std::printf("demo game folder written to %s\n", argv[1]);
      return 0;
    case vantor::demo_result::folder_not_empty:
      std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
      return 2;
    case vantor::demo_result::failed:
      break;
  }
  std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
  return 1;
}
