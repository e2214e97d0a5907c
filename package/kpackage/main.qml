// The page itself is compiled into the plug-in; this file only brings it in.
import "qrc:/package/contents/ui" as Orb
Orb.OrbAdminDatePage {}
