# bash completion for bytemorph-files: options, then FROM (a page name or
# auto), TO (a page name), then files and directories.
_bytemorph_files() {
  local current=${COMP_WORDS[COMP_CWORD]} previous=${COMP_WORDS[COMP_CWORD-1]}
  local pages="koi win dos mac iso utf" options="-r --recursive --include= --exclude=
    -n --dry-run -v --verbose -k --keep-date -b --backup --backup= --lossy -f --force
    -j --jobs= -h --help"
  if [[ $previous == -j ]]; then
    COMPREPLY=()
    return
  fi
  # Count the arguments before this one that are not options.
  local word index arguments=0
  for ((index = 1; index < COMP_CWORD; index++)); do
    word=${COMP_WORDS[index]}
    [[ $word == -* || ${COMP_WORDS[index-1]} == -j ]] || ((arguments++))
  done
  if [[ $current == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$current")
    [[ ${COMPREPLY[*]} == *= ]] && compopt -o nospace
  elif ((arguments == 0)); then
    mapfile -t COMPREPLY < <(compgen -W "$pages auto" -- "$current")
  elif ((arguments == 1)); then
    mapfile -t COMPREPLY < <(compgen -W "$pages" -- "$current")
  else
    mapfile -t COMPREPLY < <(compgen -f -- "$current")
  fi
}
complete -o filenames -F _bytemorph_files bytemorph-files
