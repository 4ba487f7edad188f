#pragma once

// Finding a known block in the main window's source image: the user picks a block (cut from
// a version they know, or one someone gave them), the search runs as `locate` runs, in a
// thread of its own so that the window stays alive and Cancel stops it, and the places come
// best first. A place chosen gives the main window its start and end address, or is kept as
// a named version in the user's model table with the image's fingerprint.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "dialog.h"
#include "operations.h"

namespace zarneth {

// What the dialog ended with: the addresses of the place chosen, and the name of the
// version kept, if one was.
struct FoundBlock {
  std::uint32_t start = 0;
  std::uint32_t end = 0;
  std::string keptAs;
};

class CFindBlockDialog : public fw::CDialog {
 public:
  // Searches the image at `sourcePath`; keeps versions in the table at `tablePath`.
  CFindBlockDialog(std::string sourcePath, std::string tablePath, fw::CWnd* parent = nullptr);
  ~CFindBlockDialog() override;

  // Set when the dialog ended with Use or Keep.
  const std::optional<FoundBlock>& Chosen() const { return m_chosen; }

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(fw::CDataExchange* pDX) override;
  void OnCancel() override;
  void OnTimer(unsigned id) override;
  std::span<const fw::MessageMapEntry> GetMessageMap() const override;

  void OnBrowse();
  void OnFindOrCancel();
  void OnPlaceSelected();
  void OnUse();
  void OnKeep();

  fw::CEdit m_editBlock;
  fw::CButton m_btnRun;
  fw::CWnd m_textImage;
  fw::CWnd m_textStatus;
  fw::CComboBox m_comboPlaces;
  fw::CWnd m_textDetail;
  fw::CButton m_btnUse;
  fw::CEdit m_editName;
  fw::CButton m_btnKeep;

 private:
  static const fw::MessageMapEntry kMessageMap[6];

  // What the search thread hands over once it ends.
  struct Search {
    std::vector<BlockFound> places;
    LocateResult result;
    std::string failure;  // a run that failed or a file error: why, in words
    bool stopped = false;
  };

  void StartSearch();
  // Stops a running search and waits for its thread.
  void StopSearch();
  void ShowSearchEnd();
  // Shows `text` in the status line, broken to fit it.
  void SetStatus(const std::string& text);
  // Shows `text` in `control`, broken into lines of `width` dialog units.
  void SetText(fw::CWnd& control, const std::string& text, int width);
  // The place chosen in the list, if any.
  const BlockFound* SelectedPlace() const;
  void EnablePlaceActions();

  std::string m_sourcePath;
  std::string m_tablePath;
  std::optional<FoundBlock> m_chosen;
  fw::DialogTemplate m_template;
  std::string m_blockPath;  // of the last search
  std::uint64_t m_blockBytes = 0;
  std::vector<BlockFound> m_places;

  std::thread m_worker;
  std::atomic<bool> m_searchEnded{false};
  std::mutex m_searchLock;  // guards m_search while the thread runs
  Search m_search;
  std::chrono::steady_clock::time_point m_searchStarted;
};

}  // namespace zarneth
