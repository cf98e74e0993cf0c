#include "ui/ip_address_control.h"

#include <QLineEdit>
#include <QtTest>

using tessaro::ui::CIpAddressControl;

namespace {

// Each key goes to whichever field holds the focus by then, as when typing.
void TypeKeys(const QString& keys) {
  for (QChar key : keys) QTest::keyClick(QApplication::focusWidget(), key.toLatin1());
}

void ShowFocused(CIpAddressControl& control) {
  control.show();
  QApplication::setActiveWindow(&control);
  QVERIFY(QTest::qWaitForWindowActive(&control));
  control.setFocus();
}

}  // namespace

class IpAddressControlTest : public QObject {
  Q_OBJECT

 private slots:
  void typing_data();
  void typing();
  void backspaceInEmptyFieldGoesBack();
  void isOneTabStop();
};

void IpAddressControlTest::typing_data() {
  QTest::addColumn<QString>("keys");
  QTest::addColumn<QStringList>("fields");
  QTest::addColumn<QString>("address");  // what the Load sequence is handed, field 0 first

  QTest::newRow("dotted") << "192.168.0.20" << QStringList{"192", "168", "0", "20"}
                          << "192.168.0.20";
  QTest::newRow("three digits advance")
      << "127000000001" << QStringList{"127", "000", "000", "001"} << "127.0.0.1";
  QTest::newRow("above 255 becomes 255")
      << "300.999.1.1" << QStringList{"255", "255", "1", "1"} << "255.255.1.1";
  QTest::newRow("digits only") << "1a2b.-3" << QStringList{"12", "3", "", ""} << "12.3.0.0";
  QTest::newRow("dot in empty field stays") << "1..2" << QStringList{"1", "2", "", ""} << "1.2.0.0";
  QTest::newRow("blank reads as zero") << "" << QStringList{"", "", "", ""} << "0.0.0.0";
}

void IpAddressControlTest::typing() {
  QFETCH(QString, keys);
  QFETCH(QStringList, fields);
  QFETCH(QString, address);
  CIpAddressControl control;
  ShowFocused(control);
  TypeKeys(keys);
  QStringList actual;
  for (int index = 0; index < 4; ++index) actual << control.Field(index)->text();
  QCOMPARE(actual, fields);
  auto bytes = control.GetAddress();
  QCOMPARE(QStringLiteral("%1.%2.%3.%4").arg(bytes[0]).arg(bytes[1]).arg(bytes[2]).arg(bytes[3]),
           address);
}

void IpAddressControlTest::backspaceInEmptyFieldGoesBack() {
  CIpAddressControl control;
  ShowFocused(control);
  TypeKeys(QStringLiteral("10.2"));
  QCOMPARE(QApplication::focusWidget(), control.Field(1));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);  // removes the 2
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);  // field 1 empty: back to 0
  QCOMPARE(QApplication::focusWidget(), control.Field(0));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
  QCOMPARE(control.Field(0)->text(), QStringLiteral("1"));
}

void IpAddressControlTest::isOneTabStop() {
  CIpAddressControl control;
  int tabStops = 0;
  for (int index = 0; index < 4; ++index)
    if (control.Field(index)->focusPolicy() & Qt::TabFocus) ++tabStops;
  QCOMPARE(tabStops, 1);
  QVERIFY(control.Field(0)->focusPolicy() & Qt::TabFocus);
  QCOMPARE(control.focusProxy(), control.Field(0));
}

QTEST_MAIN(IpAddressControlTest)
#include "ip_address_control_test.moc"
