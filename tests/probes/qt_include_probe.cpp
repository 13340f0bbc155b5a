// Compiled with the flags of the pure-logic libraries; it must fail.
#include <QtCore/QString>
int main() { return QString().size(); }
