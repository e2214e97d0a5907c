#!/usr/bin/env bash

# SPDX-FileCopyrightText: 2026 The kcm_orb_admin_date authors
#
# SPDX-License-Identifier: GPL-2.0-or-later

# Extracts the translatable messages of the module (C++ back end, QML pages and the
# calendar/clock components) into the template po/kcm_orb_admin_date.pot and merges
# it into every translation po/<lang>/kcm_orb_admin_date.po, the way KDE's
# Messages.sh scripts do it: xgettext with the ki18n keywords, then msgmerge.
#
# Usage:
#   tools/extract-messages.sh             refresh the template and the translations
#   tools/extract-messages.sh --pot FILE  write only the template, to FILE
#
# After a refresh, new messages are untranslated and changed ones fuzzy; the script
# lists them so that the translation can be completed before committing.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
domain=kcm_orb_admin_date
podir=$root/po

pot=
case "${1:-}" in
    --pot)
        pot=${2:?--pot needs a file name}
        ;;
    "")
        pot=$podir/$domain.pot
        ;;
    *)
        echo "usage: $0 [--pot FILE]" >&2
        exit 2
        ;;
esac

# The ki18n call forms, with the argument that holds the context (c), the message
# and the plural. The same list serves C++ and JavaScript/QML.
keywords=(
    i18n:1 i18nc:1c,2 i18np:1,2 i18ncp:1c,2,3
    i18nd:2 i18ndc:2c,3 i18ndp:2,3 i18ndcp:2c,3,4
    ki18n:1 ki18nc:1c,2 ki18np:1,2 ki18ncp:1c,2,3
    ki18nd:2 ki18ndc:2c,3 ki18ndp:2,3 ki18ndcp:2c,3,4
    xi18n:1 xi18nc:1c,2 xi18np:1,2 xi18ncp:1c,2,3
    xi18nd:2 xi18ndc:2c,3 xi18ndp:2,3 xi18ndcp:2c,3,4
    kxi18n:1 kxi18nc:1c,2 kxi18np:1,2 kxi18ncp:1c,2,3
    kxi18nd:2 kxi18ndc:2c,3 kxi18ndp:2,3 kxi18ndcp:2c,3,4
    kli18n:1 kli18nc:1c,2 kli18np:1,2 kli18ncp:1c,2,3
    I18N_NOOP:1 I18NC_NOOP:1c,2 I18N_NOOP2:1c,2 I18N_NOOP2_NOSTRIP:1c,2
)
keyword_args=(-k)
for k in "${keywords[@]}"; do
    keyword_args+=("-k$k")
done

common=(
    --from-code=UTF-8
    --add-comments=i18n
    --add-location=file
    --package-name="$domain"
    --copyright-holder="The $domain developers"
    "${keyword_args[@]}"
)

cd "$root"
# Paths relative to the repository root, sorted, so the template does not depend on
# the order in which the file system lists them. Tests and tools hold no user text.
mapfile -t cpp_files < <(find src -type f \( -name '*.cpp' -o -name '*.h' \) | LC_ALL=C sort)
mapfile -t qml_files < <(find package src -type f \( -name '*.qml' -o -name '*.js' \) | LC_ALL=C sort)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# xgettext nags about a bug address that a KDE template leaves to the l10n team.
quiet() {
    "$@" 2> >(grep -v -e 'msgid-bugs-address' -e 'Makevars' -e 'MSGID_BUGS_ADDRESS' -e 'specify an --msgid' >&2)
}
quiet xgettext "${common[@]}" --language=C++ --kde -o "$work/cpp.pot" "${cpp_files[@]}"
quiet xgettext "${common[@]}" --language=JavaScript -o "$work/qml.pot" "${qml_files[@]}"
# A message used in C++ and in QML becomes one entry; xgettext writes no file when a
# part has no messages at all.
parts=()
for part in "$work/cpp.pot" "$work/qml.pot"; do
    [ -f "$part" ] && parts+=("$part")
done
if [ ${#parts[@]} -eq 0 ]; then
    echo "$0: no messages found" >&2
    exit 1
fi
msgcat --use-first --add-location=file -o "$work/all.pot" "${parts[@]}"
# The sources are UTF-8 (« », –); say so in the template as KDE's templates do.
sed -e 's/^"Content-Type: text\/plain; charset=CHARSET\\n"$/"Content-Type: text\/plain; charset=UTF-8\\n"/' "$work/all.pot" > "$pot"

if [ "$pot" != "$podir/$domain.pot" ]; then
    exit 0
fi

status=0
for po in "$podir"/*/"$domain.po"; do
    [ -f "$po" ] || continue
    lang=$(basename "$(dirname "$po")")
    merged=$work/$lang.po
    msgmerge --quiet --previous --add-location=file --no-wrap -o "$merged" "$po" "$pot"
    # Obsolete entries would linger in the file for ever; the sources are the truth.
    msgattrib --no-obsolete --no-wrap -o "$merged" "$merged"
    # Only the template's creation date changed: keep the file as it is.
    if diff -q <(grep -v '^"POT-Creation-Date:' "$merged") <(grep -v '^"POT-Creation-Date:' "$po") >/dev/null; then
        :
    else
        cp "$merged" "$po"
    fi
    if ! report=$(msgfmt --check --statistics -o /dev/null "$po" 2>&1); then
        status=1
    fi
    sed "s|^|$lang: |" <<<"$report"
    pending=$(msgattrib --only-fuzzy --no-wrap "$po"; msgattrib --untranslated --no-wrap "$po")
    if grep -q '^msgid "[^"]' <<<"$pending"; then
        echo "$lang: still to translate:" >&2
        grep '^msgid "[^"]' <<<"$pending" | sed 's/^/    /' >&2
        status=1
    fi
done
exit $status
