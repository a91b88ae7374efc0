// vantor-patcher-demo: the same program for the demo game folder's
// synthetic stock bundle.

#include "app/qt/run_patcher_window.h"
#include "formats/demo_bundle.h"

int main(int argc, char** argv) { return vantor::run_patcher_window(argc, argv, vantor::demo_stock_identity); }
