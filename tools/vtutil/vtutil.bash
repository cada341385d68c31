# bash completion for vtutil: commands, subcommands and options as `vtutil help` lists them, and
# file names elsewhere.

# The subcommands (KIND "commands") or the options (KIND "options") that `vtutil help WORDS...`
# lists.
_vtutil_candidates() {
  local kind=$1
  shift
  "$_vtutil_program" help "$@" 2>/dev/null | awk -v kind="$kind" '
    /^Subcommands:$/ { section = "commands"; next }
    /^Options:$/     { section = "options"; next }
    /^$/             { section = ""; next }
    section == kind && kind == "commands" { print $1 }
    section == kind && kind == "options" {
      n = split($1, names, ","); for (i = 1; i <= n; i++) print names[i] }'
}

_vtutil() {
  local current=${COMP_WORDS[COMP_CWORD]} words=() word i
  _vtutil_program=${COMP_WORDS[0]}
  # The commands given so far: the leading words that `vtutil help` knows.
  for ((i = 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    [[ $word == -* ]] && continue
    "$_vtutil_program" help "${words[@]}" "$word" >/dev/null 2>&1 || break
    words+=("$word")
  done
  local IFS=$'\n'
  if [[ $current == -* ]]; then
    COMPREPLY=($(compgen -W "$(_vtutil_candidates options "${words[@]}")" -- "$current"))
  elif ((i == COMP_CWORD)); then
    # Nothing offered leaves the current word to file name completion.
    COMPREPLY=($(compgen -W "$(_vtutil_candidates commands "${words[@]}")" -- "$current"))
  fi
}
complete -o default -o bashdefault -F _vtutil vtutil
