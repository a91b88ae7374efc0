#pragma once
// The proof of a freshly made update package: installed with the program's
// own upgrade on the stock game standing in its folder, it must give the
// modded game's files byte for byte, and restored, the stock bundle.

#include <string>
#include <vector>

#include "formats/stock_identity.h"
#include "services/values.h"

namespace vantor {

/// The output folder holds the package and Common/character.amb, the proved
/// stock prefix: it is made a stock game (a stand-in Vantor.exe), upgraded,
/// compared with the game, restored and compared with the stock prefix, and
/// then holds the package alone again. Why the proof failed, one sentence
/// each; empty when the package proved itself.
std::vector<std::string> prove_package(const text& out_folder, const text& game_folder, const stock_identity& identity);

}  // namespace vantor
