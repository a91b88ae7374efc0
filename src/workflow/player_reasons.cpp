#include "workflow/player_reasons.h"

#include "platform/system_error.h"
#include "services/archive/archive_error.h"
#include "services/file_error.h"
#include "services/files.h"
#include "workflow/refusal.h"

namespace vantor {
namespace {

// A path inside the game as the player's system writes it: an entry of the
// model package named after the package is written with the same separator
// as the folders around it.
std::string in_game(std::string_view path, std::string_view folder) {
  if (path.empty() || path == folder) return "游戏目录";
  return with_system_separators(printable(path_in_folder(path, folder)));
}

// Several files of one kind, named together.
std::string names_of(std::span<const failure> reasons, failure_kind kind, const reason_context& context) {
  std::string names;
  for (const failure& each : reasons) {
    if (each.kind != kind) continue;
    if (!names.empty()) names += "、";
    names += in_game(each.path, context.game_folder);
  }
  return names;
}

std::string megabytes(std::uint64_t bytes) {
  constexpr std::uint64_t mb = std::uint64_t{1} << 20;
  return std::to_string(bytes == 0 ? 1 : (bytes + mb - 1) / mb);
}

std::string system_sentence(const failure& why, const std::string& name) {
  switch (static_cast<os_error>(why.kind.value())) {
    case os_error::in_use:
      return name + " 正被其他程序使用，请关闭占用它的程序（比如游戏）后再试。";
    case os_error::no_permission:
      return "没有权限读写 " + name + "。";
    case os_error::busy:
      return "另一个升级程序正在处理这个游戏目录，请等它结束后再试。";
    case os_error::exists:
    case os_error::not_a_file:
    case os_error::not_a_folder:
      return name + " 被其他文件或文件夹占着，请移走后再试。";
    case os_error::not_found:
      return "找不到 " + name + "。";
    case os_error::name_refused:
      return "系统不接受文件名：" + name + "。";
    case os_error::io_error:
      return "读写 " + name + " 时磁盘出错。";
    case os_error::no_space:
    case os_error::other:
      break;
  }
  std::string sentence = "无法处理 " + name + "。";
  if (why.native_code != 0) sentence += "（" + printable(platform::native_error_text(why.native_code)) + "）";
  return sentence;
}

// The sentence for one reason (its kind's earlier reasons named with it);
// empty when the player has been told already.
std::string sentence_for(std::span<const failure> reasons, const reason_context& context) {
  const failure& why = reasons.back();
  const std::string name = in_game(why.path, context.game_folder);
  if (why.kind == os_error::no_space || why.kind == file_error::too_large)
    return "磁盘空间不足，请至少留出 " + megabytes(context.space_needed) + " MB 空间再试。";
  if (&why.kind.category() == &category_of(os_error{})) return system_sentence(why, name);
  if (why.kind == archive_error::unsafe_name) return "模型包里的文件名 " + name + " 不能在 Windows 上使用，无法安装。";
  if (&why.kind.category() == &category_of(archive_error{})) return "模型包 " + name + " 已损坏，无法安装。";
  if (why.kind == refusal::missing_or_empty)
    return "升级包不完整，缺少文件：" + names_of(reasons, refusal::missing_or_empty, context) + "。";
  if (why.kind == refusal::modified)
    return context.bundle_box_shown ? std::string() : name + " 不是原版文件，无法复原。";
  if (why.kind == refusal::changed) return name + " 在显示后被改动过，请重新打开本程序再试。";
  if (why.kind == refusal::bad_frame_count) return "升级包里的帧数与帧数据不符：" + name + "。";
  if (why.kind == refusal::read_back_differs) return "刚写入的 " + name + " 读回来不对，磁盘可能有问题。";
  if (why.kind == refusal::not_put_back)
    return "未能把 " + names_of(reasons, refusal::not_put_back, context) +
           " 恢复原样。旧文件保存在旁边（名字后加 .vantor-old），下次升级或复原时会自动放回。";
  if (why.kind == file_error::too_short) return name + " 不完整。";
  return "无法处理 " + name + "。";
}

}  // namespace

std::string player_reason(std::span<const failure> reasons, const reason_context& context) {
  // The last reason that has something new to tell: when the last was told
  // already (动画文件被修改过，非原版), a source that could not be read on
  // the way (held, refused) is why the upgrade did not prove the other.
  std::size_t told = reasons.size();
  std::string sentence;
  while (sentence.empty() && told > 0) sentence = sentence_for(reasons.first(told--), context);
  if (sentence.empty()) return {};
  // The update package's missing files are named too when it has another
  // fault besides.
  const failure& last = reasons[told];
  if (last.kind != refusal::missing_or_empty) {
    const std::string missing = names_of(reasons.first(told), refusal::missing_or_empty, context);
    if (!missing.empty()) sentence = "升级包不完整，缺少文件：" + missing + "。" + sentence;
  }
  return sentence;
}

}  // namespace vantor
