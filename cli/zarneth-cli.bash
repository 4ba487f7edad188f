# bash completion for zarneth-cli: commands, options (those not given yet), model names after
# --model in any letter case (as the tool itself lists them), file names after the path
# options, and the --option=value forms of all of them.
_zarneth_cli() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  local prev=${COMP_WORDS[COMP_CWORD - 1]}
  local command="" i
  for ((i = 1; i < COMP_CWORD; i++)); do
    case ${COMP_WORDS[i]} in
      patch | cut | verify | show | models | locate | compare) command=${COMP_WORDS[i]}; break ;;
    esac
  done

  COMPREPLY=()
  # --option=value: complete the value as after "--option value".
  local prefix=""
  if [[ $cur == --*=* ]]; then
    prev=${cur%%=*}
    prefix=$prev=
    cur=${cur#*=}
  fi
  case $prev in
    --model)
      local models upper=${cur^^}
      models=$("${COMP_WORDS[0]}" models 2>/dev/null | awk 'NR > 1 { print $1 }')
      mapfile -t COMPREPLY < <(compgen -P "$prefix" -W "$models" -- "$upper")
      return ;;
    --source | --transcript | --output | --replace | --with)
      compopt -o filenames 2>/dev/null
      mapfile -t COMPREPLY < <(compgen -P "$prefix" -f -- "$cur")
      return ;;
    --start | --end)
      return ;;
  esac

  local words
  case $command in
    patch) words="--source --transcript --model --start --replace --output --in-place --backup
                  --allow-overrun --dry-run --no-clobber --quiet --help" ;;
    cut) words="--source --model --start --end --output --dry-run --no-clobber --quiet --help" ;;
    verify) words="--source --transcript --model --start --quiet --help" ;;
    show) words="--source --model --start --end --crc --help" ;;
    models) words="--help" ;;
    locate) words="--source --transcript --all --quiet --help" ;;
    compare) words="--source --with --model --start --end --quiet --help" ;;
    *) words="patch cut verify show models locate compare --help --version --quiet" ;;
  esac
  # An option already on the line is not offered again, nor one that goes only with its
  # opposite: patch writes either a copy (--output, --no-clobber) or in place (--in-place,
  # --backup), and at --model or --start or where the --replace block stands.
  local given word kept="" excluded=""
  for given in "${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
    case ${given%%=*} in
      --in-place | --backup) excluded+=" --output --no-clobber" ;;
      --output | --no-clobber) [ "$command" = patch ] && excluded+=" --in-place --backup" ;;
      --replace) excluded+=" --model --start" ;;
      --model | --start) [ "$command" = patch ] && excluded+=" --replace" ;;
    esac
  done
  for word in $words; do
    for given in "${COMP_WORDS[@]:1:COMP_CWORD-1}" $excluded; do
      [ "${given%%=*}" = "$word" ] && continue 2
    done
    kept+="$word "
  done
  mapfile -t COMPREPLY < <(compgen -W "$kept" -- "$cur")
}
complete -F _zarneth_cli zarneth-cli
