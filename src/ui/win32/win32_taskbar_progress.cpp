#include "ui/win32/win32_taskbar_progress.h"

#include <shobjidl.h>

#include "ui/win32/win32_com.h"

namespace vantor {

namespace {
constexpr ULONGLONG progress_steps = 1000;
}  // namespace

win32_taskbar_progress::~win32_taskbar_progress() {
  if (taskbar_ != nullptr) taskbar_->Release();
}

void win32_taskbar_progress::show(HWND window, std::optional<double> fraction) {
  if (window == nullptr) return;
  if (!tried_) {
    tried_ = true;
    // Needs COM on this thread; the toolkit starts it before the first
    // command.
    void* object = nullptr;
    if (SUCCEEDED(com::create_object(CLSID_TaskbarList, CLSCTX_INPROC_SERVER, IID_ITaskbarList3, &object))) {
      taskbar_ = static_cast<ITaskbarList3*>(object);
      if (FAILED(taskbar_->HrInit())) {
        taskbar_->Release();
        taskbar_ = nullptr;
      }
    }
  }
  if (taskbar_ == nullptr) return;
  if (!fraction) {
    if (SUCCEEDED(taskbar_->SetProgressState(window, TBPF_NOPROGRESS))) shown_.reset();
    return;
  }
  const double clamped = *fraction < 0 ? 0 : (*fraction > 1 ? 1 : *fraction);
  if (SUCCEEDED(taskbar_->SetProgressState(window, TBPF_NORMAL)) &&
      SUCCEEDED(taskbar_->SetProgressValue(window, static_cast<ULONGLONG>(clamped * progress_steps), progress_steps))) {
    shown_ = clamped;
  }
}

}  // namespace vantor
