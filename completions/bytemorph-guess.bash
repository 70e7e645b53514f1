# bash completion for bytemorph-guess: options, then files. It answers a
# page name, binary (not text) or unknown (text in no Cyrillic page).
_bytemorph_guess() {
  local current=${COMP_WORDS[COMP_CWORD]}
  if [[ $current == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "-h --help --" -- "$current")
  else
    mapfile -t COMPREPLY < <(compgen -f -- "$current")
  fi
}
complete -o filenames -F _bytemorph_guess bytemorph-guess
