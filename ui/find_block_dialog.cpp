#include "find_block_dialog.h"

#include <algorithm>

#include "file_exception.h"
#include "file_pick.h"
#include "hex_address.h"
#include "model_presets.h"
#include "model_table.h"
#include "resource_ids.h"
#include "resources.h"
#include "result_dialog.h"
#include "run_report.h"
#include "stop_request.h"
#include "text_width.h"
#include "words.h"

namespace zarneth {

using namespace fw;

namespace {

constexpr unsigned kSearchTimer = 1;
constexpr unsigned kSearchPoll = 100;  // milliseconds
// The places the list offers at the most: the nearest ones, or the first exact ones.
constexpr std::size_t kPlacesListed = 16;
// The differing ranges the detail names at the most; it counts the rest.
constexpr std::size_t kRangesNamed = 4;
// The status and detail lines: their width in dialog units and their lines at the most.
constexpr int kStatusWidth = 150;
constexpr int kDetailWidth = 206;
constexpr std::size_t kTextLines = 3;

// Where the whole block would begin and end in the image for a place of a part of it; none
// where it would begin before the image's start.
std::optional<FoundBlock> BlockAt(const BlockFound& place, std::uint64_t blockBytes) {
  if (place.start < place.blockFrom || blockBytes == 0)
    return std::nullopt;
  const std::uint64_t start = place.start - place.blockFrom;
  const std::uint64_t end = start + blockBytes - 1;
  if (end > 0xFFFFFFFFu)
    return std::nullopt;
  return FoundBlock{static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end), {}};
}

// One line of the list: where the whole block stands and how much of it agrees there.
std::string PlaceLine(const BlockFound& place, std::uint64_t blockBytes) {
  const auto block = BlockAt(place, blockBytes);
  const std::string from = block ? FormatHexAddress(block->start) : FormatHexAddress(place.start);
  const std::string to =
      block ? FormatHexAddress(block->end)
            : FormatHexAddress(static_cast<std::uint32_t>(place.start + place.bytes - 1));
  if (place.exact)
    // TRANSLATORS: a place in the list of the find dialog; %1$s and %2$s are addresses.
    return TrFill("%1$s to %2$s: exact", {from, to});
  // TRANSLATORS: a place in the list of the find dialog; %1$s and %2$s are addresses, %3$s
  // a share ("99.8%").
  return TrFill("%1$s to %2$s: %3$s agrees",
                {from, to, ShareText(place.agreeing, place.PartLength())});
}

// What the detail line says of a place: the part of the block it holds and the ranges of
// the block that differ there.
std::string PlaceDetail(const BlockFound& place, std::uint64_t blockBytes) {
  if (place.exact)
    return Tr("The block stands here byte for byte.");
  std::string detail;
  if (place.blockFrom > 0 || place.blockTo < blockBytes)
    // TRANSLATORS: %1$s and %2$s are offsets in the block ("+00A000").
    detail = TrFill("Only the block's bytes %s to %s stand here.",
                    {BlockOffsetText(place.blockFrom), BlockOffsetText(place.blockTo - 1)}) +
             " ";
  std::string ranges;
  for (std::size_t i = 0; i < place.differing.size() && i < kRangesNamed; ++i) {
    const DifferingPart& part = place.differing[i];
    ranges += (i == 0 ? "" : ", ") + BlockOffsetText(part.from);
    if (part.bytes > 1)
      ranges += "-" + BlockOffsetText(part.from + part.bytes - 1);
  }
  const auto count = static_cast<unsigned long>(place.differingParts);
  if (count == 0)
    return detail;
  if (count > kRangesNamed)
    // TRANSLATORS: %1$s is a count of ranges, %2$s the first few ("+000144-+00015E, ...").
    return detail + Fill(TrPlural("%1$s range of the block differs here, among them %2$s.",
                                  "%1$s ranges of the block differ here, among them %2$s.", count),
                         {std::to_string(count), ranges});
  // TRANSLATORS: %1$s is a count of ranges, %2$s the ranges ("+000144-+00015E, ...").
  return detail + Fill(TrPlural("%1$s range of the block differs here: %2$s.",
                                "%1$s ranges of the block differ here: %2$s.", count),
                       {std::to_string(count), ranges});
}

// What the status line says of a search that found no place.
std::string NoPlaceText(const LocateResult& result, const std::string& image,
                        const std::string& block) {
  if (result.best) {
    const BlockFound& best = *result.best;
    return TrFill(
        // TRANSLATORS: %1$s is the image, %2$s the block, %3$s an address, %4$s and %5$s
        // shares ("38.3%"). The status line's sentence; zarneth-cli says it as a clause.
        "No place in %1$s holds the bytes of %2$s, exactly or clearly more of them "
        "than chance would: the best, at %3$s, agrees %4$s; chance in this image "
        "reaches %5$s there.",
        {image, block, HexText(best.start), ShareText(best.agreeing, best.PartLength()),
         ShareText(result.chance * 100)});
  }
  return TrFill(
      // TRANSLATORS: %1$s is the image, %2$s the block looked for. The status line's
      // sentence; zarneth-cli says it as a clause.
      "No place in %1$s holds the bytes of %2$s, exactly or clearly more of them than "
      "chance would: none of the short pieces that mark it stands anywhere in it.",
      {image, block});
}

// The last part of a path, either system's separators.
std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

const MessageMapEntry CFindBlockDialog::kMessageMap[6] = {
    {res::IDC_FIND_BROWSE, BN_CLICKED, Handler(&CFindBlockDialog::OnBrowse)},
    {res::IDC_FIND_RUN, BN_CLICKED, Handler(&CFindBlockDialog::OnFindOrCancel)},
    {res::IDC_FIND_PLACES, CBN_SELCHANGE, Handler(&CFindBlockDialog::OnPlaceSelected)},
    {res::IDC_FIND_USE, BN_CLICKED, Handler(&CFindBlockDialog::OnUse)},
    {res::IDC_FIND_KEEP, BN_CLICKED, Handler(&CFindBlockDialog::OnKeep)},
    {fw::IDOK, BN_CLICKED, Handler(&CFindBlockDialog::OnFindOrCancel)},
};

CFindBlockDialog::CFindBlockDialog(std::string sourcePath, std::string tablePath, CWnd* parent)
    : CDialog(res::IDD_FIND_BLOCK, parent),
      m_sourcePath(std::move(sourcePath)),
      m_tablePath(std::move(tablePath)),
      m_template(res::FindBlockTemplate()) {
  InitModalIndirect(m_template);
}

CFindBlockDialog::~CFindBlockDialog() {
  StopSearch();
}

std::span<const MessageMapEntry> CFindBlockDialog::GetMessageMap() const {
  return kMessageMap;
}

void CFindBlockDialog::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, res::IDC_FIND_BLOCK, m_editBlock);
  DDX_Control(pDX, res::IDC_FIND_RUN, m_btnRun);
  DDX_Control(pDX, res::IDC_FIND_IMAGE, m_textImage);
  DDX_Control(pDX, res::IDC_FIND_STATUS, m_textStatus);
  DDX_Control(pDX, res::IDC_FIND_PLACES, m_comboPlaces);
  DDX_Control(pDX, res::IDC_FIND_DETAIL, m_textDetail);
  DDX_Control(pDX, res::IDC_FIND_USE, m_btnUse);
  DDX_Control(pDX, res::IDC_FIND_NAME, m_editName);
  DDX_Control(pDX, res::IDC_FIND_KEEP, m_btnKeep);
}

bool CFindBlockDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  m_editBlock.DragAcceptFiles();
  m_textImage.SetWindowText(m_sourcePath.empty() ? Tr("(none: give the source file first)")
                                                 : FileNameOf(m_sourcePath));
  SetStatus(
      Tr("Pick a block you know, cut from a version you know, and press Find: it is "
         "looked for in the source file."));
  EnablePlaceActions();
  return true;
}

void CFindBlockDialog::SetStatus(const std::string& text) {
  SetText(m_textStatus, text, kStatusWidth);
}

void CFindBlockDialog::SetText(CWnd& control, const std::string& text, int width) {
  // Broken into lines here, so both toolkits show the same lines.
  std::string lines;
  for (const std::string& line : WrapDetail(text, width, kTextLines, [this](std::string_view part) {
         return TextWidthInDialogUnits(m_template, part);
       }))
    lines += (lines.empty() ? "" : "\n") + line;
  control.SetWindowText(lines);
}

void CFindBlockDialog::OnBrowse() {
  BrowseInto(FilePicker::Open, m_editBlock);
}

void CFindBlockDialog::OnFindOrCancel() {
  if (m_worker.joinable()) {
    RequestStop(0);
    return;
  }
  StartSearch();
}

void CFindBlockDialog::StartSearch() {
  const std::string block = m_editBlock.GetWindowText();
  if (m_sourcePath.empty()) {
    SetStatus(
        Tr("Give the source file in the main window first: the block is looked for in "
           "it."));
    return;
  }
  if (block.empty()) {
    SetStatus(Tr("Give the block you know first: a file cut from a version you know."));
    return;
  }
  m_blockPath = block;
  m_places.clear();
  m_comboPlaces.ResetContent();
  m_textDetail.SetWindowText("");
  EnablePlaceActions();
  ClearStopRequest();
  m_searchEnded = false;
  m_searchStarted = std::chrono::steady_clock::now();
  m_btnRun.SetWindowText(Tr("Cancel"));
  SetStatus(Tr("Searching the source file..."));
  m_worker = std::thread([this, source = m_sourcePath, block] {
    Search search;
    try {
      LocateBlock locate{source, block, kPlacesListed,
                         [&search](const BlockFound& found) {
                           if (search.places.size() < kPlacesListed)
                             search.places.push_back(found);
                         },
                         true};
      search.result = Run(locate);
      if (!search.result.status.ok())
        search.failure = search.result.status.reason;
    } catch (const RunStopped&) {
      search.stopped = true;
    } catch (const std::exception& e) {
      search.failure = e.what();
    }
    const std::lock_guard hold(m_searchLock);
    m_search = std::move(search);
    m_searchEnded = true;
  });
  SetTimer(kSearchTimer, kSearchPoll);
}

void CFindBlockDialog::OnTimer(unsigned id) {
  if (id != kSearchTimer)
    return;
  if (!m_searchEnded) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::steady_clock::now() - m_searchStarted)
                             .count();
    if (seconds > 0)
      SetStatus(TrFill("Searching the source file... %s s; Cancel stops the search.",
                       {std::to_string(seconds)}));
    return;
  }
  KillTimer(kSearchTimer);
  m_worker.join();
  ClearStopRequest();
  ShowSearchEnd();
}

void CFindBlockDialog::StopSearch() {
  if (!m_worker.joinable())
    return;
  RequestStop(0);
  m_worker.join();
  ClearStopRequest();
}

void CFindBlockDialog::ShowSearchEnd() {
  m_btnRun.SetWindowText(Tr("Find"));
  Search search;
  {
    const std::lock_guard hold(m_searchLock);
    search = std::move(m_search);
  }
  if (search.stopped) {
    SetStatus(Tr("The search was cancelled."));
    return;
  }
  if (!search.failure.empty()) {
    // TRANSLATORS: %s is why the search failed ("cannot read file ...").
    SetStatus(TrFill("The search failed: %s.", {search.failure}));
    return;
  }
  m_places = std::move(search.places);
  m_blockBytes = search.result.blockBytes;
  if (m_places.empty()) {
    SetStatus(NoPlaceText(search.result, FileNameOf(m_sourcePath), FileNameOf(m_blockPath)));
    return;
  }
  for (const BlockFound& place : m_places)
    m_comboPlaces.InsertString(-1, PlaceLine(place, m_blockBytes));
  m_comboPlaces.SetCurSel(0);
  const auto count = static_cast<unsigned long>(m_places.size());
  SetStatus(Fill(TrPlural("Found %s place. Use its addresses, or keep it as a version.",
                          "Found %s places, best first. Use one's addresses, or keep it as a "
                          "version.",
                          count),
                 {std::to_string(count)}));
  OnPlaceSelected();
}

const BlockFound* CFindBlockDialog::SelectedPlace() const {
  const int row = m_comboPlaces.GetCurSel();
  if (row < 0 || static_cast<std::size_t>(row) >= m_places.size())
    return nullptr;
  return &m_places[static_cast<std::size_t>(row)];
}

void CFindBlockDialog::EnablePlaceActions() {
  const BlockFound* place = SelectedPlace();
  const bool usable = place && BlockAt(*place, m_blockBytes);
  m_comboPlaces.EnableWindow(!m_places.empty());
  m_btnUse.EnableWindow(usable);
  m_editName.EnableWindow(usable);
  m_btnKeep.EnableWindow(usable);
}

void CFindBlockDialog::OnPlaceSelected() {
  const BlockFound* place = SelectedPlace();
  SetText(m_textDetail, place ? PlaceDetail(*place, m_blockBytes) : std::string(), kDetailWidth);
  EnablePlaceActions();
}

void CFindBlockDialog::OnUse() {
  const BlockFound* place = SelectedPlace();
  if (const auto block = place ? BlockAt(*place, m_blockBytes) : std::nullopt) {
    m_chosen = block;
    EndDialog(IDOK);
  }
}

void CFindBlockDialog::OnKeep() {
  const BlockFound* place = SelectedPlace();
  auto block = place ? BlockAt(*place, m_blockBytes) : std::nullopt;
  if (!block)
    return;
  const std::string name = m_editName.GetWindowText();
  if (!IsModelName(name)) {
    SetStatus(Tr("Give the version a name of 1 to 32 letters, digits, '.', '-' or '_'."));
    return;
  }
  if (FindModel(name)) {
    SetStatus(TrFill("There is a version %s already; give this one another name.", {name}));
    return;
  }
  if (m_tablePath.empty()) {
    SetStatus(
        Tr("There is no folder for your model table: neither a configuration folder nor "
           "a home folder is set."));
    return;
  }
  ModelEntry entry;
  entry.name = name;
  entry.start = block->start;
  entry.end = block->end;
  try {
    const FingerprintResult fingerprint = Fingerprint(m_sourcePath, entry.start, entry.end);
    if (!fingerprint.status.ok()) {
      // TRANSLATORS: %s is why the version could not be kept.
      SetStatus(TrFill("The version was not kept: %s.", {fingerprint.status.reason}));
      return;
    }
    entry.fingerprint = ModelFingerprint{fingerprint.size, fingerprint.outside, fingerprint.stock};
    if (const RunStatus added = AddToModelTable(WithTableFolder(m_tablePath), entry); !added.ok()) {
      // TRANSLATORS: %s is why the version could not be kept.
      SetStatus(TrFill("The version was not kept: %s.", {added.reason}));
      return;
    }
  } catch (const CFileException& e) {
    // TRANSLATORS: %s is why the version could not be kept.
    SetStatus(TrFill("The version was not kept: %s.", {e.what()}));
    return;
  }
  block->keptAs = name;
  m_chosen = block;
  EndDialog(IDOK);
}

void CFindBlockDialog::OnCancel() {
  StopSearch();
  CDialog::OnCancel();
}

}  // namespace zarneth
