#pragma once

#include <QObject>

namespace zarneth::test {

class PatchDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void startState();
  void cutModeAndBackRestoresTheForm();
  void createNewToggleCarriesIntoCutMode();
  void eachModelPickFillsItsAddresses();
  void aTypedAddressStaysUntilTheNextPick();
  void aCancelledPickerLeavesTheField_data();
  void aCancelledPickerLeavesTheField();
  void pickersStartWhereTheUserIs();
  void picturesAreSharpAtTheScreensScale();
  void droppedFilesFillOnlyThePathFields_data();
  void droppedFilesFillOnlyThePathFields();
  void tabOrderFollowsTheTemplate();
  void geometryFollowsTheDialogFont();
  void pixelGeometryWithAKnownFont();
  void f1AsksTheApplicationForHelp();
};

class DoCommandTest : public QObject {
  Q_OBJECT
 private slots:
  void init();
  void cleanup();
  void emptyFieldsShowTheFailureDialogInEitherMode();
  void patchesThroughTheFormInBothVariants();
  void inPlaceNeedsNoDestination();
  void cutShowsDoneAndWritesTheRange();
  void cutWithoutDestinationFails();
  void aTranscriptPastTheModelsBlockIsWrittenOnlyAfterYes_data();
  void aTranscriptPastTheModelsBlockIsWrittenOnlyAfterYes();
  void aFileErrorIsReportedAndTheFormStaysUsable();
  void addressesFollowTheEnginesOneRule_data();
  void addressesFollowTheEnginesOneRule();
  void aKilledRunLeavesTheImageAndAnUnconfirmedRunSaysSo();
  void theFailureDialogGrowsToShowALongReason();
  void aboutBoxFromTheWindowMenu();
  void minimizedIconIsCentred_data();
  void minimizedIconIsCentred();
};

// Wrapping a run's detail into the lines of a result dialog.
class ResultDialogTest : public QObject {
  Q_OBJECT
 private slots:
  void wrapsAtSpacesThenPathsThenAnywhere_data();
  void wrapsAtSpacesThenPathsThenAnywhere();
};

}  // namespace zarneth::test
