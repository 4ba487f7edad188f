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
  void aCancelledPickerLeavesTheField();
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
  void aFileErrorIsReportedAndTheFormStaysUsable();
  void aboutBoxFromTheWindowMenu();
  void minimizedIconIsCentred();
};

}  // namespace zarneth::test
