#include "client/window/PracticeControls.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

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
      capacity(new QSpinBox),
      people(new QSpinBox),
      placesButton(new QPushButton(QStringLiteral("Set places"))),
      screenName(new QLineEdit(QStringLiteral("Bob"))),
      signOnButton(new QPushButton(QStringLiteral("Sign on"))),
      signOffButton(new QPushButton(QStringLiteral("Sign off"))),
      signedOn(new QLabel),
      delivered(new QListWidget),
      namesPage_(new QWidget(this)),
      service_(service),
      window_(window) {
  speakLine->setPlaceholderText(QStringLiteral("a line, or //roll-dice2-sides100"));
  speaker->setMaximumWidth(120);
  roller->setMaximumWidth(120);
  dice->setRange(1, 15);
  dice->setValue(2);
  sides->setRange(2, 999);
  sides->setValue(100);

  auto* play = new QGridLayout(this);
  play->addWidget(new QLabel(QStringLiteral("Speak as"), this), 0, 0);
  play->addWidget(speaker, 0, 1);
  play->addWidget(speakLine, 0, 2, 1, 5);
  play->addWidget(speakButton, 0, 7);
  play->addWidget(new QLabel(QStringLiteral("Roll as"), this), 1, 0);
  play->addWidget(roller, 1, 1);
  play->addWidget(dice, 1, 2);
  play->addWidget(new QLabel(QStringLiteral("dice of"), this), 1, 3);
  play->addWidget(sides, 1, 4);
  play->addWidget(new QLabel(QStringLiteral("sides"), this), 1, 5);
  play->addWidget(rollButton, 1, 7);
  play->setColumnStretch(6, 1);

  capacity->setRange(0, 99);
  people->setRange(0, 99);
  signedOn->setWordWrap(true);
  delivered->setMaximumHeight(3 * delivered->fontMetrics().height());
  auto* names = new QGridLayout(namesPage_);
  names->addWidget(new QLabel(QStringLiteral("Room named at the left: capacity")), 0, 0);
  names->addWidget(capacity, 0, 1);
  names->addWidget(new QLabel(QStringLiteral("people in it")), 0, 2);
  names->addWidget(people, 0, 3);
  names->addWidget(placesButton, 0, 4);
  names->addWidget(screenName, 1, 0);
  names->addWidget(signOnButton, 1, 1, 1, 2);
  names->addWidget(signOffButton, 1, 3, 1, 2);
  names->addWidget(signedOn, 2, 0, 1, 5);
  names->addWidget(new QLabel(QStringLiteral("Delivered")), 0, 5);
  names->addWidget(delivered, 1, 5, 2, 1);
  names->setColumnStretch(5, 1);

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

QString PracticeControls::title() const {
  return QStringLiteral("Practice: everyone else");
}

std::vector<std::pair<QString, QWidget*>> PracticeControls::morePages() {
  return {{QStringLiteral("Places and names"), namesPage_}};
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
