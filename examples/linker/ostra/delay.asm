; delay.asm - busy wait: W times 256 turns of an inner loop

        global  delay

delay_vars udata_acs
outer   res     1
inner   res     1

delay_code code
delay   movwf   outer, ACCESS
again   clrf    inner, ACCESS
wait    decfsz  inner, f, ACCESS
        bra     wait
        decf    outer, f, ACCESS
        bnz     again
        return  0
        end
