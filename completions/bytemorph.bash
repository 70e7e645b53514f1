# bash completion for bytemorph: both arguments are code-page names.
_bytemorph() {
  local current=${COMP_WORDS[COMP_CWORD]}
  COMPREPLY=()
  if [ "$COMP_CWORD" -le 2 ]; then
    mapfile -t COMPREPLY < <(compgen -W "koi win dos mac iso utf" -- "$current")
  fi
}
complete -F _bytemorph bytemorph
