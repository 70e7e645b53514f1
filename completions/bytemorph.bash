# bash completion for bytemorph: both arguments are code-page names, and
# the source may be auto.
_bytemorph() {
  local current=${COMP_WORDS[COMP_CWORD]}
  COMPREPLY=()
  local names="koi win dos mac iso utf"
  [ "$COMP_CWORD" -eq 1 ] && names="$names auto"
  if [ "$COMP_CWORD" -le 2 ]; then
    mapfile -t COMPREPLY < <(compgen -W "$names" -- "$current")
  fi
}
complete -F _bytemorph bytemorph
