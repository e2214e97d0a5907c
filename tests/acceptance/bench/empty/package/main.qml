import QtQuick 2.15
import org.kde.kcm 1.2 as KCM

KCM.SimpleKCM {
    implicitWidth: 640
    implicitHeight: 620
}
