#pragma once
// One QApplication for the whole test binary (widgets need it).
class QApplication;
QApplication& TestApp();
