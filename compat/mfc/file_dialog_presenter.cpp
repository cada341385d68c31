// The scripted presenter and the process-wide choice of presenter.
#include <utility>

#include "mfc/file_dialog_presenters.h"
#include "vtplatform/mfc/file_dialog_presenter.h"

namespace vtplatform {
namespace {

struct InstalledPresenter {
  std::mutex mutex;
  std::shared_ptr<FileDialogPresenter> presenter;
};

InstalledPresenter& installed() {
  static InstalledPresenter* const slot = new InstalledPresenter;  // never destroyed: a dialog
  return *slot;  // may still run on another thread while the process exits
}

}  // namespace

void ScriptedFileDialogPresenter::add_answer(std::vector<std::string> paths,
                                             std::uint32_t filter_index) {
  const std::lock_guard lock(mutex_);
  script_.push_back(FileDialogAnswer{std::move(paths), filter_index});
}

void ScriptedFileDialogPresenter::add_cancel() {
  const std::lock_guard lock(mutex_);
  script_.emplace_back(std::nullopt);
}

std::optional<FileDialogAnswer> ScriptedFileDialogPresenter::show(
    const FileDialogRequest& request) {
  const std::lock_guard lock(mutex_);
  requests_.push_back(request);
  if (script_.empty()) return std::nullopt;
  std::optional<FileDialogAnswer> answer;
  answer.swap(script_.front());
  script_.pop_front();
  return answer;
}

std::vector<FileDialogRequest> ScriptedFileDialogPresenter::requests() const {
  const std::lock_guard lock(mutex_);
  return requests_;
}

std::shared_ptr<FileDialogPresenter> set_file_dialog_presenter(
    std::shared_ptr<FileDialogPresenter> presenter) {
  InstalledPresenter& slot = installed();
  const std::lock_guard lock(slot.mutex);
  return std::exchange(slot.presenter, std::move(presenter));
}

std::shared_ptr<FileDialogPresenter> file_dialog_presenter() {
  {
    InstalledPresenter& slot = installed();
    const std::lock_guard lock(slot.mutex);
    if (slot.presenter) return slot.presenter;
  }
  return make_desktop_file_dialog_presenter();
}

}  // namespace vtplatform
