# bash completion for zarneth-cli: commands, options, model names after --model (as the tool
# itself lists them) and file names after the path options.
_zarneth_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  local prev=${COMP_WORDS[COMP_CWORD - 1]}
  local command="" i
  for ((i = 1; i < COMP_CWORD; i++)); do
    case ${COMP_WORDS[i]} in
      patch | cut | models) command=${COMP_WORDS[i]}; break ;;
    esac
  done

  COMPREPLY=()
  case $prev in
    --model)
      local models
      models=$("${COMP_WORDS[0]}" models 2>/dev/null | awk 'NR > 1 { print $1 }')
      mapfile -t COMPREPLY < <(compgen -W "$models" -- "$cur")
      return ;;
    --source | --transcript | --output)
      compopt -o filenames 2>/dev/null
      mapfile -t COMPREPLY < <(compgen -f -- "$cur")
      return ;;
    --start | --end)
      return ;;
  esac

  local words
  case $command in
    patch) words="--source --transcript --model --start --output --in-place --allow-overrun
                  --quiet --help" ;;
    cut) words="--source --model --start --end --output --quiet --help" ;;
    models) words="--help" ;;
    *) words="patch cut models --help --version" ;;
  esac
  mapfile -t COMPREPLY < <(compgen -W "$words" -- "$cur")
}
complete -F _zarneth_cli zarneth-cli
