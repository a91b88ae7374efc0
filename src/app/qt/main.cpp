// vantor-patcher: the game's own stock bundle.

#include "app/qt/run_patcher_window.h"

int main(int argc, char** argv) { return vantor::run_patcher_window(argc, argv, vantor::game_stock_identity); }
