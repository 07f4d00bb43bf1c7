#include "client/window/PracticeControls.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "client/practice/PracticeService.h"

namespace kestar::client {

PracticeControls::PracticeControls(PracticeService& service, ClientWindow& window)
    : speaker(new QLineEdit(QStringLiteral("Bob"), this)),
      speakLine(new QLineEdit(this)),
      speakButton(new QPushButton(QStringLiteral("Speak"), this)),
      roller(new QLineEdit(QStringLiteral("Bob"), this)),
      dice(new QSpinBox(this)),
      sides(new QSpinBox(this)),
      rollButton(new QPushButton(QStringLiteral("Roll"), this)),
      capacity(new QSpinBox(this)),
      people(new QSpinBox(this)),
      placesButton(new QPushButton(QStringLiteral("Set places"), this)),
      screenName(new QLineEdit(QStringLiteral("Bob"), this)),
      signOnButton(new QPushButton(QStringLiteral("Sign on"), this)),
      signOffButton(new QPushButton(QStringLiteral("Sign off"), this)),
      signedOn(new QLabel(this)),
      delivered(new QListWidget(this)),
      service_(service),
      window_(window) {
  speakLine->setPlaceholderText(QStringLiteral("a line, or //roll-dice2-sides100"));
  dice->setRange(1, 15);
  dice->setValue(2);
  sides->setRange(2, 999);
  sides->setValue(100);

  auto* speakRow = new QHBoxLayout;
  speakRow->addWidget(new QLabel(QStringLiteral("Speak as"), this));
  speakRow->addWidget(speaker);
  speakRow->addWidget(speakLine, 1);
  speakRow->addWidget(speakButton);

  auto* rollRow = new QHBoxLayout;
  rollRow->addWidget(new QLabel(QStringLiteral("Roll as"), this));
  rollRow->addWidget(roller);
  rollRow->addWidget(dice);
  rollRow->addWidget(new QLabel(QStringLiteral("dice of"), this));
  rollRow->addWidget(sides);
  rollRow->addWidget(new QLabel(QStringLiteral("sides"), this));
  rollRow->addStretch(1);
  rollRow->addWidget(rollButton);

  auto* playBox = new QGroupBox(QStringLiteral("Practice: everyone else in the room"), this);
  auto* playColumn = new QVBoxLayout(playBox);
  playColumn->addLayout(speakRow);
  playColumn->addLayout(rollRow);

  capacity->setRange(0, 99);
  people->setRange(0, 99);
  auto* placesBox = new QGroupBox(QStringLiteral("Places in the room named at the left"), this);
  auto* placesForm = new QFormLayout(placesBox);
  placesForm->addRow(QStringLiteral("Capacity"), capacity);
  placesForm->addRow(QStringLiteral("People in it"), people);
  placesForm->addRow(placesButton);

  signedOn->setWordWrap(true);
  delivered->setMaximumHeight(60);
  auto* signBox = new QGroupBox(QStringLiteral("Signed on, and messages delivered"), this);
  auto* signColumn = new QVBoxLayout(signBox);
  auto* signRow = new QHBoxLayout;
  signRow->addWidget(screenName, 1);
  signRow->addWidget(signOnButton);
  signRow->addWidget(signOffButton);
  signColumn->addLayout(signRow);
  signColumn->addWidget(signedOn);
  signColumn->addWidget(delivered);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(placesBox);
  bottom->addWidget(signBox, 1);
  auto* whole = new QVBoxLayout(this);
  whole->setContentsMargins(0, 0, 0, 0);
  whole->addWidget(playBox);
  whole->addLayout(bottom);

  connect(speakButton, &QPushButton::clicked, this, &PracticeControls::speak);
  connect(speakLine, &QLineEdit::returnPressed, this, &PracticeControls::speak);
  connect(rollButton, &QPushButton::clicked, this, &PracticeControls::roll);
  connect(window_.roomName, &QLineEdit::textChanged, this, &PracticeControls::showPlaces);
  connect(placesButton, &QPushButton::clicked, this, [this] {
    service_.setRoomCapacity(toClient(window_.roomName->text()), capacity->value());
    service_.setRoomPeople(toClient(window_.roomName->text()), people->value());
  });
  connect(signOnButton, &QPushButton::clicked, this, [this] {
    if (!screenName->text().trimmed().isEmpty()) service_.signOn(toClient(screenName->text()));
    refresh();
  });
  connect(signOffButton, &QPushButton::clicked, this, [this] {
    service_.signOff(toClient(screenName->text()));
    refresh();
  });
  showPlaces();
}

void PracticeControls::refresh() {
  QStringList signedOnNames;
  for (const auto& name : service_.signedOnNames())
    signedOnNames << fromClient(name);
  signedOn->setText(QStringLiteral("Signed on: ") + signedOnNames.join(QStringLiteral(", ")));
  const auto& messages = service_.instantMessages();
  for (auto i = static_cast<std::size_t>(delivered->count()); i < messages.size(); ++i) {
    delivered->addItem(
        QStringLiteral("To %1: %2").arg(fromClient(messages[i].to), fromClient(messages[i].text)));
    delivered->scrollToBottom();
  }
}

void PracticeControls::showPlaces() {
  capacity->setValue(service_.roomCapacity(toClient(window_.roomName->text())));
  people->setValue(service_.roomPeople(toClient(window_.roomName->text())));
}

void PracticeControls::speak() {
  const QString room = window_.currentRoom();
  if (speakLine->text().isEmpty() || room.isEmpty()) return;
  service_.sayAs(toClient(room), toClient(speaker->text()), toClient(speakLine->text()));
  speakLine->clear();
}

void PracticeControls::roll() {
  const QString room = window_.currentRoom();
  if (room.isEmpty()) return;
  const QString request =
      QStringLiteral("//roll-dice%1-sides%2").arg(dice->value()).arg(sides->value());
  service_.sayAs(toClient(room), toClient(roller->text()), toClient(request));
}

}  // namespace kestar::client
