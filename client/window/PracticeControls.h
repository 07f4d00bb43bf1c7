#pragma once

#include "client/window/ClientWindow.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace kestar::client {

class PracticeService;

// The practice service's controls in the client's window: a person plays everyone else from here.
// On the first page anyone speaks or rolls in the room the window shows; on the second the room
// named in the window has as many places and people as set there, screen names sign on and off,
// and the instant messages the service delivered are listed.
class PracticeControls final : public ServiceControls {
 public:
  PracticeControls(PracticeService& service, ClientWindow& window);

  QString title() const override;
  std::vector<std::pair<QString, QWidget*>> morePages() override;

  QLineEdit* const speaker;
  QLineEdit* const speakLine;
  QPushButton* const speakButton;
  QLineEdit* const roller;
  QSpinBox* const dice;
  QSpinBox* const sides;
  QPushButton* const rollButton;
  // Second page. Places of the room named in the window's room name box.
  QSpinBox* const capacity;
  QSpinBox* const people;
  QPushButton* const placesButton;
  QLineEdit* const screenName;
  QPushButton* const signOnButton;
  QPushButton* const signOffButton;
  QLabel* const signedOn;
  QListWidget* const delivered;

  void refresh() override;

 private:
  void speak();
  void roll();
  void showPlaces();

  QWidget* const namesPage_;
  PracticeService& service_;
  ClientWindow& window_;
};

}  // namespace kestar::client
